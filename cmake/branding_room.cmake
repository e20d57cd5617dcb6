# The placeholder the stub and the engine carry in their resources for the author's icon and
# version strings (src/package/branding_room.h says why and how large). Its size is read from that
# header, so the programs and saverpack cannot disagree on it; its bytes are zeros.
file(READ ${CMAKE_SOURCE_DIR}/src/package/branding_room.h room_header)
string(REGEX MATCH "kBrandingIconRoomBytes = ([0-9]+)" _ "${room_header}")
set(icon_room ${CMAKE_MATCH_1})
string(REGEX MATCH "kBrandingVersionRoomBytes = ([0-9]+)" _ "${room_header}")
math(EXPR room_bytes "${icon_room} + ${CMAKE_MATCH_1}")
set(SAVERKIT_BRANDING_ROOM_DIR ${CMAKE_BINARY_DIR}/branding_room)
file(MAKE_DIRECTORY ${SAVERKIT_BRANDING_ROOM_DIR})
execute_process(COMMAND truncate -s 0 ${SAVERKIT_BRANDING_ROOM_DIR}/branding_room.bin COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND truncate -s ${room_bytes} ${SAVERKIT_BRANDING_ROOM_DIR}/branding_room.bin COMMAND_ERROR_IS_FATAL ANY)

# Gives `target`'s resource script the placeholder as "branding_room.bin".
function(saverkit_branding_room target)
  target_include_directories(${target} PRIVATE ${SAVERKIT_BRANDING_ROOM_DIR})
endfunction()

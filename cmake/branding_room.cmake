# The placeholder the stub and the engine carry in their resources for the author's icon and
# version strings (src/package/branding_room.h says why and how large). Its size is read from that
# header, so the programs and saverpack cannot disagree on it; its bytes are zeros.
file(READ ${CMAKE_SOURCE_DIR}/src/package/branding_room.h room_header)
string(REGEX MATCH "kBrandingIconRoomBytes = ([0-9]+)" _ "${room_header}")
set(icon_room ${CMAKE_MATCH_1})
string(REGEX MATCH "kBrandingVersionRoomBytes = ([0-9]+)" _ "${room_header}")
set(version_room ${CMAKE_MATCH_1})
math(EXPR room_bytes "${icon_room} + ${version_room}")
string(REGEX MATCH "kEngineBrandingIconRoomBytes = ([0-9]+)" _ "${room_header}")
math(EXPR engine_room_bytes "${CMAKE_MATCH_1} + ${version_room}")
set(SAVERKIT_BRANDING_ROOM_DIR ${CMAKE_BINARY_DIR}/branding_room)
set(SAVERKIT_ENGINE_BRANDING_ROOM_DIR ${CMAKE_BINARY_DIR}/branding_room_engine)
foreach(room IN ITEMS "${SAVERKIT_BRANDING_ROOM_DIR}:${room_bytes}" "${SAVERKIT_ENGINE_BRANDING_ROOM_DIR}:${engine_room_bytes}")
  string(REPLACE ":" ";" room "${room}")
  list(GET room 0 folder)
  list(GET room 1 bytes)
  file(MAKE_DIRECTORY ${folder})
  execute_process(COMMAND truncate -s 0 ${folder}/branding_room.bin COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND truncate -s ${bytes} ${folder}/branding_room.bin COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# Gives `target`'s resource script the placeholder as "branding_room.bin"; ENGINE: the engine's
# smaller one.
function(saverkit_branding_room target)
  if(ARGV1 STREQUAL "ENGINE")
    target_include_directories(${target} PRIVATE ${SAVERKIT_ENGINE_BRANDING_ROOM_DIR})
  else()
    target_include_directories(${target} PRIVATE ${SAVERKIT_BRANDING_ROOM_DIR})
  endif()
endfunction()

/* The codec's C interface, as exported by impborl.dll and its native twin.
 *
 * Installers and launchers written against the historical DLL call these three functions by
 * name, so the names, the cdecl convention, the callback shapes, the work-area sizes and the
 * numeric return codes are fixed; everything behind them is ours. */
#ifndef SAVERKIT_IMPLODE_IMPLODE_API_H
#define SAVERKIT_IMPLODE_IMPLODE_API_H

#ifdef __cplusplus
extern "C" {
#endif

#define SAVERKIT_IMPLODE_WORK_SIZE 36312u
#define SAVERKIT_EXPLODE_WORK_SIZE 12596u

#define SAVERKIT_CMP_BINARY 0u
#define SAVERKIT_CMP_ASCII 1u

#define SAVERKIT_CMP_NO_ERROR 0u
#define SAVERKIT_CMP_INVALID_DICTSIZE 1u
#define SAVERKIT_CMP_INVALID_MODE 2u
#define SAVERKIT_CMP_BAD_DATA 3u
#define SAVERKIT_CMP_ABORT 4u

/* Returns how many bytes it put into buf (at most *size); 0 means the input has ended. */
typedef unsigned int (*SaverkitReadBuf)(char* buf, unsigned int* size, void* param);
/* Receives *size bytes of output. */
typedef void (*SaverkitWriteBuf)(char* buf, unsigned int* size, void* param);

/* The names below are the ones the shared libraries export. Native code may link them from
 * the shared library; the static library offers the C++ interface in codec.h instead. */
unsigned int _implode(SaverkitReadBuf read_buf, SaverkitWriteBuf write_buf, char* work_buf,
                      void* param, unsigned int* type, unsigned int* dsize);
unsigned int _explode(SaverkitReadBuf read_buf, SaverkitWriteBuf write_buf, char* work_buf,
                      void* param);
unsigned long _crc32(char* buffer, unsigned int* size, unsigned long* old_crc);

#ifdef __cplusplus
}
#endif

#endif

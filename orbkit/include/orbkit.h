/*
 * ORBKIT: the host's kernel library, in its reference form.
 *
 * Drivers import the first four functions: a log function and three calls that create, wait
 * on and remove a messaging client. The OrbKit* functions are the host's side: where log
 * lines go, how long a wait blocks, and how a host tells a client to stop.
 *
 * On ELF targets every function carries the symbol version ORBKIT_1, so a driver linked
 * against this library binds its err to this one and never to the C library's err(3), which
 * prints and exits the process, whatever order the host loads the libraries in.
 */
#ifndef ORBKIT_H
#define ORBKIT_H

#include <stdint.h>

#if defined(_WIN32)
#define ORBKIT_CALL __cdecl
#if defined(ORBKIT_BUILDING_LIBRARY)
#define ORBKIT_API __declspec(dllexport)
#else
#define ORBKIT_API __declspec(dllimport)
#endif
#else
#define ORBKIT_CALL
#define ORBKIT_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the message buffer a client passes to Orb5WaitMsg. */
#define ORBKIT_MESSAGE_BYTES 28

/* Log level that drivers use for their lines. */
#define ORBKIT_LEVEL_DRIVER 32

/* Longest line handed to a log sink, terminator included; longer lines are cut. */
#define ORBKIT_LINE_BYTES 256

/* Formats one log line and hands it to the log sink. Returns 0. */
ORBKIT_API int ORBKIT_CALL err(int level, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

/* Registers a messaging client under a unique name and writes its one-byte identifier.
   Returns 0 on success; non-zero if the name is null, longer than 63 characters or already
   registered, the identifier pointer is null, or all 255 identifiers are in use. Identifiers are reused only after removal.
   The constants that drivers pass as `mode` and `flags` are accepted and not interpreted. */
ORBKIT_API uint16_t ORBKIT_CALL Orb5MkClient(const char *name, int32_t mode, int32_t flags,
                                            uint8_t *clientId);

/* Waits for the client's next message. Returns non-zero ("go on") after blocking for the tick
   (OrbKitSetTick); returns 0 at once when the client has been told to stop or is unknown.
   The buffer, if not null, is zero-filled (ORBKIT_MESSAGE_BYTES bytes). */
ORBKIT_API uint16_t ORBKIT_CALL Orb5WaitMsg(uint8_t clientId, void *message, int32_t mode);

/* Removes a client; its identifier and name become free. Returns 0, or non-zero for an
   identifier that is not registered. */
ORBKIT_API uint16_t ORBKIT_CALL Orb5RmClient(uint8_t clientId);

/* Where formatted log lines go. The sink runs on the thread that logged, including a driver's
   receive thread with a small stack: keep it short. Calls are serialised. A null sink restores
   the default, which writes each line to stderr with a timestamp and its level. */
typedef void (*OrbKitLogSink)(int level, const char *line, void *context);
ORBKIT_API void ORBKIT_CALL OrbKitSetLogSink(OrbKitLogSink sink, void *context);

/* How long Orb5WaitMsg blocks before it returns non-zero, in milliseconds (default 5). */
ORBKIT_API void ORBKIT_CALL OrbKitSetTick(unsigned milliseconds);

/* From now on the named client's wait calls return 0; a blocked call returns at once.
   Returns 0 if such a client is registered, else non-zero. */
ORBKIT_API int ORBKIT_CALL OrbKitStopClient(const char *name);

/* Waits until no client of that name is registered (Orb5RmClient has removed it; a name that
   is not registered counts as removed). Returns 0 then, non-zero on timeout. */
ORBKIT_API int ORBKIT_CALL OrbKitWaitRemoved(const char *name, unsigned timeoutMilliseconds);

#ifdef __cplusplus
}
#endif

#endif /* ORBKIT_H */

/*
 * KelNF: host interface of the NF fire alarm panel driver.
 *
 * A host loads the driver library and calls its one exported function, KelMain, with a
 * DriverRequest for every operation. All records below cross that entry point; their layout
 * is fixed. On a 32-bit target every offset is exactly as documented next to the field; on a
 * 64-bit target the field order is the same with natural alignment, so records that hold a
 * pointer grow while TagAddress and TagAccess keep their documented offsets.
 *
 * Threads: KelMain may be called from any host thread. A started channel also runs one
 * receive thread per instance inside the driver, with a small stack (32768 bytes); the host's
 * log sink (see orbkit.h) is called on that thread too, so it must be quick, use little stack
 * and must not call back into KelMain.
 *
 * The receive thread runs until the host library's wait call returns 0 for its messaging
 * client ("KelNF No_NN", NN the instance number; OrbKitStopClient in the reference library).
 * Closing, reopening or reconfiguring the port does not stop it: it reads whatever port the
 * instance holds on its next pass. Removing its client is its last use of the instance, so
 * keep the instance block until the client is gone (OrbKitWaitRemoved). Until then a start on
 * that instance is refused with KEL_RESULT_REFUSED. Once loaded, the driver library stays
 * loaded, so a thread still on its way out never loses its code.
 *
 * Memory: the host provides the per-instance memory. Ask operation 14 for its size
 * (DriverInfo.instanceSize), allocate that many bytes aligned at least to the size of a
 * pointer (malloc's alignment is enough), zero them and pass the block as
 * DriverRequest.instance on every call for that instance. A null or misaligned block is
 * refused by every operation that uses it. The block's content is private to the driver.
 */
#ifndef KELNF_H
#define KELNF_H

#include <stdint.h>

#if defined(_WIN32)
#define KELNF_CALL __cdecl
#if defined(KELNF_BUILDING_DRIVER)
#define KELNF_API __declspec(dllexport)
#else
#define KELNF_API __declspec(dllimport)
#endif
#else
#define KELNF_CALL
#define KELNF_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes of every operation. */
enum KelResult {
    KEL_RESULT_DONE = 0,    /* done */
    KEL_RESULT_REFUSED = 1, /* not supported, address not valid, type not readable, bad
                               request, messaging client not created, or a start on an
                               instance whose receive thread still runs */
    KEL_RESULT_FAILED = 2   /* the port was not opened or closed, the receive thread was
                               not started, or a port name does not fit */
};

/* Operation codes (DriverRequest.operation). Codes 4, 6 and 10 are not supported and
   return KEL_RESULT_REFUSED, as does every code not listed here. */
enum KelOperation {
    KEL_OP_START = 1,         /* StartArgs */
    KEL_OP_DISCARD_INPUT = 2, /* no argument record */
    KEL_OP_CHECK_ADDRESS = 3, /* TagAddress */
    KEL_OP_READ = 5,          /* TagAccess */
    KEL_OP_WRITE = 7,         /* TagAccess */
    KEL_OP_CLOSE = 11,        /* no argument record; same as KEL_OP_CLOSE_PORT */
    KEL_OP_CLOSE_PORT = 12,   /* no argument record */
    KEL_OP_REOPEN = 13,       /* no argument record */
    KEL_OP_DESCRIBE = 14,     /* DriverInfo */
    KEL_OP_RECONFIGURE = 15   /* ReconfigureArgs */
};

/* Tag type codes produced by KEL_OP_CHECK_ADDRESS. */
enum KelTagType {
    KEL_TAG_POINT = 0,             /* "000".."999": point word */
    KEL_TAG_TROUBLE = 1,           /* "T00".."T99": trouble word */
    KEL_TAG_COMMAND_ACK = 'A',     /* "!A": write 1 sends the acknowledge command */
    KEL_TAG_REGISTER_C = 'C',      /* "!C": activity register */
    KEL_TAG_REGISTER_G = 'G',      /* "!G": summary register, recomputed on read */
    KEL_TAG_REGISTER_R = 'R',      /* "!R": reset register; write 1 also sends reset */
    KEL_TAG_COMMAND_SILENCE = 'S'  /* "!S": write 1 sends the silence command */
};

/* Line settings: baud rate, data bits, stop-bits code (0 one, 1 one and a half, 2 two),
   parity code (0 none, 1 odd, 2 even, 3 mark, 4 space). 8 bytes. */
typedef struct LineSettings {
    uint16_t baud;     /* +0 */
    uint16_t dataBits; /* +2 */
    uint16_t stopBits; /* +4 */
    uint16_t parity;   /* +6 */
} LineSettings;

/* Passed on every call. 20 bytes on 32-bit targets. */
typedef struct DriverRequest {
    void *instance;         /* +0  the instance block this call works on */
    int32_t operation;      /* +4  KelOperation */
    int32_t instanceNumber; /* +8  the host's number for the instance; read by start only */
    int32_t reserved;       /* +12 not read by the driver */
    void *args;             /* +16 the operation's argument record, or null */
} DriverRequest;

/* Filled by KEL_OP_DESCRIBE. 32 bytes on 32-bit targets. */
typedef struct DriverInfo {
    int32_t driverType;          /* +0  always 70 */
    const char *name;            /* +4  "NF Fire Alarm System" */
    const char *banner;          /* +8  379 bytes of code page 437 text, zero-terminated */
    uint32_t instanceSize;       /* +12 bytes the host allocates per instance (3244 on 32-bit) */
    uint32_t defaultReadTimeout; /* +16 in units of 10 ms: 4 */
    LineSettings defaultLine;    /* +20 9600 baud, 8 data bits, one stop bit, no parity */
    uint32_t controlFlags;       /* +28 always 8: DTR and RTS held off */
} DriverInfo;

/* Argument record of KEL_OP_START. 28 bytes. */
typedef struct StartArgs {
    char portName[12];    /* +0  device name, zero-terminated within the 12 bytes */
    uint32_t enable;      /* +12 0: do not start this channel */
    uint32_t readTimeout; /* +16 read timeout in units of 10 ms */
    LineSettings line;    /* +20 */
} StartArgs;

/* Argument record of KEL_OP_RECONFIGURE. 24 bytes. */
typedef struct ReconfigureArgs {
    char portName[16]; /* +0  device name, zero-terminated, at most 11 characters; a
                                  longer name fails with KEL_RESULT_FAILED and changes nothing */
    LineSettings line; /* +16 baud 0 keeps the stored line settings */
} ReconfigureArgs;

/* Argument record of KEL_OP_CHECK_ADDRESS. Only the out fields are written, and only when
   the address is valid. */
typedef struct TagAddress {
    const char *text;                     /* +0  in: the address, zero-terminated */
    uint8_t untouched[16 - sizeof(void *)]; /*     never read or written by the driver */
    int32_t status;                       /* +16 out: 0 */
    int32_t type;                         /* +20 out: KelTagType */
    int32_t index;                        /* +24 out: point or trouble number, 0 for letters */
    int32_t maxValue;                     /* +28 out: 255, the widest value a write stores */
    int32_t valueBits;                    /* +32 out: 16, the width of a value */
} TagAddress;

/* The value a read fills or a write takes. */
typedef struct TagValue {
    uint16_t untouched; /* +0 never read or written by the driver */
    uint16_t value;     /* +2 */
} TagValue;

/* Argument record of KEL_OP_READ and KEL_OP_WRITE. */
typedef struct TagAccess {
    uint8_t untouched0[12]; /*     never read or written by the driver */
    int32_t type;           /* +12 as produced by KEL_OP_CHECK_ADDRESS */
    int32_t index;          /* +16 as produced by KEL_OP_CHECK_ADDRESS */
    uint8_t untouched1[20]; /*     never read or written by the driver */
    TagValue *value;        /* +40 */
} TagAccess;

/* The driver's one exported function. Returns a KelResult. */
KELNF_API int32_t KELNF_CALL KelMain(DriverRequest *request);

#ifdef __cplusplus
}
#endif

#endif /* KELNF_H */

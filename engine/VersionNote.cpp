// Emits the version note described in EngineVersion.h. Written as assembly
// so that the section gets the note type and the exact byte layout.
#include "EngineVersion.h"

#define VARO_NOTE_TEXT(x) #x
#define VARO_NOTE_NUMBER(x) VARO_NOTE_TEXT(x)

__asm__(
    ".pushsection .note.varo.version,\"a\",@note\n"
    ".balign 4\n"
    ".long 5\n"
    ".long 16\n"
    ".long " VARO_NOTE_NUMBER(VARO_ENGINE_NOTE_TYPE) "\n"
    ".asciz \"VARO\"\n"
    ".balign 4\n"
    ".long " VARO_NOTE_NUMBER(VARO_ENGINE_VERSION_MAJOR) "\n"
    ".long " VARO_NOTE_NUMBER(VARO_ENGINE_VERSION_MINOR) "\n"
    ".long " VARO_NOTE_NUMBER(VARO_ENGINE_VERSION_THIRD) "\n"
    ".long " VARO_NOTE_NUMBER(VARO_ENGINE_VERSION_FOURTH) "\n"
    ".popsection\n");

#include "audio.h"

int audio_init(void)
{
    /* %PROTECT audio_init */
    return 0;
    /* %ENDPROTECT */
}

int audio_play(void)
{
    /* %PROTECT audio_play */
    return 0;
    /* %ENDPROTECT */
}

int audio_stop(void)
{
    /* %PROTECT audio_stop */
    return 0;
    /* %ENDPROTECT */
}

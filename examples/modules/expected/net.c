#include "net.h"

int net_connect(void)
{
    /* %PROTECT net_connect */
    return 0;
    /* %ENDPROTECT */
}

int net_send(void)
{
    /* %PROTECT net_send */
    return 0;
    /* %ENDPROTECT */
}

#ifndef NET_H
#define NET_H

int net_connect(void);
int net_send(void);

#endif

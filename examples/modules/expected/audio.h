#ifndef AUDIO_H
#define AUDIO_H

int audio_init(void);
int audio_play(void);
int audio_stop(void);

#endif

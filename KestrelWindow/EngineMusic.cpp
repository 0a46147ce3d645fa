// Music half of EngineWindow: output, module or stream, playback and position.
#include "EngineWindow.h"

void EngineWindow::InitOutput() {
    if (!BASS_Init(-1, 44100, 0, window)) BASS_Init(-2, 44100, 0, window);
}

void EngineWindow::LoadMusic(const char* fileName) {
    if (musicMode == 1) return;
    if (musicMode == 2) {
        InitOutput();
        music = BASS_MusicLoad(0, fileName, 0, 0, 5);
        BASS_Start();
    }
    if (musicMode == 3) {
        InitOutput();
        stream = BASS_StreamCreateFile(0, fileName, 0, 0, 0);
        BASS_Start();
    }
}

void EngineWindow::PlayMusic() {
    if (musicMode == 1) return;
    if (musicMode == 2) BASS_MusicPlay(music);
    if (musicMode == 3) BASS_StreamPlay(stream, 0, 4);
}

unsigned int EngineWindow::GetOrder() {
    if (musicMode == 1) return 0;
    if (musicMode == 2) return BASS_ChannelGetPosition(music) & 0xFFFF;
    if (musicMode == 3) return BASS_ChannelGetPosition(stream);
    return 0;
}

unsigned int EngineWindow::GetRow() {
    if (musicMode == 1) return 0;
    if (musicMode == 2) return BASS_ChannelGetPosition(music) >> 16;
    if (musicMode == 3) return BASS_ChannelGetPosition(stream);
    return 0;
}

DWORD EngineWindow::GetMusicChannel() {
    if (musicMode == 1) return 0;
    if (musicMode == 2) return music;
    if (musicMode == 3) return stream;
    return 0;
}

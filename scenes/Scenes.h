// The animation state of each scene as plain data, with its per-tick step,
// so the timelines can be tested without a window, and a checkpoint can
// keep it as a copy (it points at nothing of its own). Initial values are the
// member initialisers; the drawing lives in each scene's own file.
#pragma once

#include <cstdint>

#include "SceneFrame.h"

// How far the flashes on the beat reach in a calm show: the ring's fade, the
// fan's light, the flickering lines' alpha and the tumbling mesh's kick (of 1
// in a show that is not).
constexpr float kCalmRingFade = 0.35f;
constexpr float kCalmFanAlpha = 0.45f;
constexpr float kCalmLineAlpha = 0.5f;
constexpr float kCalmKick = 0.5f;  // the tumbling mesh's kick on the beat

// The nine scenes, in the order shown, each until its end, the user quits or a seek.
SceneEnd Scene1();
SceneEnd Scene2();
SceneEnd Scene3();
SceneEnd Scene4();
SceneEnd Scene5();
SceneEnd Scene6();
SceneEnd Scene7();
SceneEnd Scene8();
SceneEnd Scene9();

struct OpeningTitles {  // scene 1
    float backgroundFade = 0, robotY = 256, shoutX = -256, signScale = 3, signAlpha = 0;
    float bannerX = 640, cloudAlpha = 0.5f, cloudShift1 = 0, cloudShift2 = 0;
    float logoAlpha1 = 0, logoAlpha2 = 0, layerFade = 1, finalFade = 0, finalScale = 3;
};
void OpeningTitlesTick(OpeningTitles& s, MusicPosition p);

struct SwayingRobot {  // scene 2
    float backdropFade = 1, nextFade = 0, nextScale = 3, spin = 0;
    float robotY = -0.6f, ghostY = -0.6f, ghostAlpha = 0.6f, ghostScale = 0.21f;
    float ringFade = 0, ringScale = 3;
    bool calm = false;  // the ring's flash on the beat softened
};
void SwayingRobotTick(SwayingRobot& s, MusicPosition p);

struct TitleReveal {  // scene 3
    float backdropFade = 1, stripShift = 0, lineAlpha = 0, robotFade = 0, tumble = 0;
    float kickZ = 0, roll = 0, slideX = 0, finalFade = 0, finalScale = 3;
    bool calm = false;  // the flickering lines dimmed
};
void TitleRevealTick(TitleReveal& s, MusicPosition p);

struct Reconnecting {  // scene 4
    float backdropFade = 1, longFade = 0, longScale = 3, headY = 256, curveY = 256, curveShift = 0;
    float fanAlpha = 0, meshSpin = 0, meshY = 0, meshZ = 0, tiltX = 0, tiltZ = 0;
    int meshIndex = 0;
    bool calm = false;  // the fan's flash on the beat softened
};
void ReconnectingTick(Reconnecting& s, MusicPosition p);
void TiltKick(Reconnecting& s);

struct CubeLetters {  // scene 5
    unsigned char shape[256] = {};           // current cube sizes
    const unsigned char* target = nullptr;  // the glyph the shape morphs towards (none: it holds)
    int glyphStep = 0;
    float morph = 0;
    bool atFilled = false, atCleared = false;
    float wobble1 = 0, wobble2 = 0, wobble3 = 0, gridZ = -20;
    float longFade = 1, longX = 0, endFade = 0, fanAlpha = 0.3f;
    uint32_t startTicks = 0, counter = 0;
    uint32_t frameOrder = 0;
};
void CubeLettersTick(CubeLetters& s, MusicPosition p);
void CubeLettersRewriteAtSign(CubeLetters& s);
void CubeLettersSwitchGlyph(CubeLetters& s);
void MorphToward(unsigned char* dst, const unsigned char* src, int amount);

struct ZoomCut {  // scene 6
    float oldFade = 1, newFade = 0, newScale = 3;
};
void ZoomCutTick(ZoomCut& s, MusicPosition p);

struct Credits {  // scene 7
    float oldFade = 1, newFade = 0, newScale = 3;
    float triangleX = 700, squareX = 700, circleX = 700;
    float musicFade = 0, graphicsFade = 0, codeFade = 0;
    int musicSyncs = 0, graphicsSyncs = 0, codeSyncs = 0;
};
void CreditsTick(Credits& s, MusicPosition p);

struct Greetings {  // scene 8
    float backFade = 1, fov = 180, yaw = 0, wobble = 0, meshZ = -1.9f, barAlpha = 0;
    int greetIndex = -4;
    int32_t lastSecond = 0;
};
void GreetingsTick(Greetings& s, MusicPosition p);
void GreetingsStepPicture(Greetings& s, int32_t nowMs);

struct CubeWall {  // scene 9
    float barAlpha = 0.5f, cubeScale = 0, wobble1 = 0, wobble2 = 0, wobble3 = 0;
};
void CubeWallTick(CubeWall& s, MusicPosition p);

// Both noise scenes advance the four bar phases alike.
void AdvanceBarPhases();

#include "Transition/TransitionTable.h"

#include "Transition/TransitionEntry.h"
#include "Transition/Transition_Plain.h"

// Names and group names are copied exactly as the catalogue has them, oddities
// included; rows of families not built yet are absent, not stood in for.
#define PLAIN(...) VT_TRANSITION_ENTRY(Plain, __VA_ARGS__)

const TransitionTableRow transitionTable[] = {
    // Plain (family 3)
    {192, {3000, 3, "PL_Fade", "PL_Fade", 0, PLAIN(renderPlFade)}},
    {193, {3001, 3, "PL_Fade", "PL_Fade_OutIn", 0, PLAIN(renderPlFadeOutIn)}},
    {194, {3010, 3, "PL_Blur", "PL_Blur", 0, PLAIN(renderPlBlur)}},
    {195, {3011, 3, "PL_Blur", "PL_Blur_OutIn", 0, PLAIN(renderPlBlurOutIn)}},
    {196, {3020, 3, "PL_ColorMask", "PL_ColorMask", 0, PLAIN(renderPlColorMask)}},
    {197, {3030, 3, "PL_White", "PL_White_OutIn", 0, PLAIN(renderPlWhiteOutIn)}},
    {198, {3031, 3, "PL_Red", "PL_Red_OutIn", 0, PLAIN(renderPlColorOutIn, 0xFF0000u)}},
    {199, {3032, 3, "PL_Green", "PL_Green_OutIn", 0, PLAIN(renderPlColorOutIn, 0x00FF00u)}},
    {200, {3033, 3, "PL_Blue", "PL_Blue_OutIn", 0, PLAIN(renderPlColorOutIn, 0x0000FFu)}},
    {201, {3034, 3, "PL_Yellow", "PL_Yellow_OutIn", 0, PLAIN(renderPlColorOutIn, 0xFFFF00u)}},
    {202, {3035, 3, "PL_Cyan", "PL_Cyan_OutIn", 0, PLAIN(renderPlColorOutIn, 0x00FFFFu)}},
    {203, {3036, 3, "PL_Purple", "PL_Purple_OutIn", 0, PLAIN(renderPlColorOutIn, 0xFF00FFu)}},
    {204, {3037, 3, "PL_BlackFirst", "PL_BlackFirst", 0, PLAIN(renderPlBlackFirst)}},
    {205, {3038, 3, "PL_WhiteFirst", "PL_WhiteFirst", 0, PLAIN(renderPlWhiteFirst)}},
    {206, {3039, 3, "PL_RedFirst", "PL_RedFirst", 0, PLAIN(renderPlColorFirst, 0xFF0000u)}},
    {207, {3040, 3, "PL_GreenFirst", "PL_GreenFirst", 0, PLAIN(renderPlColorFirst, 0x00FF00u)}},
    {208, {3041, 3, "PL_BlueFirst", "PL_BlueFirst", 0, PLAIN(renderPlColorFirst, 0x0000FFu)}},
    {209, {3042, 3, "PL_YellowFirst", "PL_YellowFirst", 0, PLAIN(renderPlColorFirst, 0xFFFF00u)}},
    {210, {3043, 3, "PL_CyanFirst", "PL_CyanFirst", 0, PLAIN(renderPlColorFirst, 0x00FFFFu)}},
    {211, {3044, 3, "PL_PurpleFirst", "PL_PurpleFirst", 0, PLAIN(renderPlColorFirst, 0xFF00FFu)}},
    {212, {3045, 3, "PL_Test", "PL_Test", 0, PLAIN(renderPlTest, 0xFF0000u)}},
    {213, {3046, 3, "PL_FadeMax", "PL_FadeMax", 0, PLAIN(renderPlFadeMax)}},
    {214, {3047, 3, "PL_FadeMax2", "PL_FadeMax2", 0, PLAIN(renderPlFadeMax2)}},
    {215, {3047, 3, "PL_FadeAdd", "PL_FadeAdd", 0, PLAIN(renderPlFadeAdd)}},
};

const int32_t transitionCount = static_cast<int32_t>(sizeof transitionTable / sizeof transitionTable[0]);

void runTransition(int row, EffectParams* context) { transitionTable[row].row.entry(context); }

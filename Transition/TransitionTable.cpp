#include "Transition/TransitionTable.h"

#include "Transition/TransitionEntry.h"
#include "Transition/Transition_Plain.h"
#include "Transition/Transition_Stretch.h"

// Names and group names are copied exactly as the catalogue has them, oddities
// included; rows of families not built yet are absent, not stood in for.
#define PLAIN(...) VT_TRANSITION_ENTRY(Plain, __VA_ARGS__)
#define STRETCH(...) VT_TRANSITION_ENTRY(Stretch, __VA_ARGS__)

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
    // Stretch (family 8)
    {301, {8000, 8, "ST_Side", "ST_Side_In\t", 0, STRETCH(renderStSide, 0)}},
    {302, {8001, 8, "ST_Side", "ST_Side_Out", 0, STRETCH(renderStSide, 1)}},
    {303, {8010, 8, "ST_SideDual", "ST_SideDual_In\t", 0, STRETCH(renderStSideDual, 0)}},
    {304, {8011, 8, "ST_SideDual", "ST_SideDual_Out", 0, STRETCH(renderStSideDual, 1)}},
    {305, {8010, 8, "ST_UpDown", "ST_UpDown_In", 0, STRETCH(renderStUpDown, 0)}},
    {306, {8011, 8, "ST_UpDown", "ST_UpDown_Out", 0, STRETCH(renderStUpDown, 1)}},
    {307, {8020, 8, "ST_Alpha", "ST_Alpha_In", 0, STRETCH(renderStAlpha, 0)}},
    {308, {8021, 8, "ST_Alpha", "ST_Alpha_Out", 0, STRETCH(renderStAlpha, 1)}},
    {309, {8022, 8, "ST_AlphaMove", "ST_AlphaMove_In", 0, STRETCH(renderStAlphaMove, 0)}},
    {310, {8023, 8, "ST_AlphaMove", "ST_AlphaMove_Out", 0, STRETCH(renderStAlphaMove, 1)}},
    {311, {8030, 8, "ST_jurum", "ST_jurum_In", 0, STRETCH(renderStJurum, 0)}},
    {312, {8031, 8, "ST_jurum", "ST_jurum_Out", 0, STRETCH(renderStJurum, 1)}},
    {313, {8040, 8, "ST_FoldingFan", "ST_FoldingFan_In", 0, STRETCH(renderStFoldingFan, 0, 1, 1, 1)}},
    {314, {8041, 8, "ST_FoldingFan", "ST_FoldingFan_Out", 0, STRETCH(renderStFoldingFan, 1, 1, 1, 1)}},
    {315, {8050, 8, "ST_FoldingFan2", "ST_FoldingFan2_In", 0, STRETCH(renderStFoldingFan, 0, 0, 1, 1)}},
    {316, {8051, 8, "ST_FoldingFan2", "ST_FoldingFan2_Out", 0, STRETCH(renderStFoldingFan, 1, 0, 1, 1)}},
    {317, {8060, 8, "ST_Discrete", "ST_Discrete_In", 0, STRETCH(renderStDiscrete, 0)}},
    {318, {8061, 8, "ST_Discrete", "ST_Discrete_Out", 0, STRETCH(renderStDiscrete, 1)}},
    {319, {8060, 8, "ST_Discrete2", "ST_Discrete2_In", 0, STRETCH(renderStDiscrete2, 0)}},
    {320, {8061, 8, "ST_Discrete2", "ST_Discrete2_Out", 0, STRETCH(renderStDiscrete2, 1)}},
    {321, {8070, 8, "ST_Corner", "ST_Corner_000In", 0, STRETCH(renderStCorner, 0, 0)}},
    {322, {8071, 8, "ST_Corner", "ST_Corner_045In", 0, STRETCH(renderStCorner, 0, 45)}},
    {323, {8070, 8, "ST_Corner", "ST_Corner_090In", 0, STRETCH(renderStCorner, 0, 90)}},
    {324, {8073, 8, "ST_Corner", "ST_Corner_135In", 0, STRETCH(renderStCorner, 0, 135)}},
    {325, {8074, 8, "ST_Corner", "ST_Corner_180In", 0, STRETCH(renderStCorner, 0, 180)}},
    {326, {8075, 8, "ST_Corner", "ST_Corner_225In", 0, STRETCH(renderStCorner, 0, 225)}},
    {327, {8076, 8, "ST_Corner", "ST_Corner_270In", 0, STRETCH(renderStCorner, 0, 270)}},
    {328, {8077, 8, "ST_Corner", "ST_Corner_315In", 0, STRETCH(renderStCorner, 0, 315)}},
    {329, {8080, 8, "ST_Corner", "ST_Corner_000Out", 0, STRETCH(renderStCorner, 1, 0)}},
    {330, {8081, 8, "ST_Corner", "ST_Corner_045Out", 0, STRETCH(renderStCorner, 1, 45)}},
    {331, {8082, 8, "ST_Corner", "ST_Corner_090Out", 0, STRETCH(renderStCorner, 1, 90)}},
    {332, {8083, 8, "ST_Corner", "ST_Corner_135Out", 0, STRETCH(renderStCorner, 1, 135)}},
    {333, {8084, 8, "ST_Corner", "ST_Corner_180Out", 0, STRETCH(renderStCorner, 1, 180)}},
    {334, {8085, 8, "ST_Corner", "ST_Corner_225Out", 0, STRETCH(renderStCorner, 1, 225)}},
    {335, {8086, 8, "ST_Corner", "ST_Corner_270Out", 0, STRETCH(renderStCorner, 1, 270)}},
    {336, {8087, 8, "ST_Corner", "ST_Corner_315Out", 0, STRETCH(renderStCorner, 1, 315)}},
    {337, {8090, 8, "ST_Cross", "ST_Cross_02_000_In", 0, STRETCH(renderStCross, 0, 2, 0)}},
    {338, {8091, 8, "ST_Cross", "ST_Cross_02_000_Out", 0, STRETCH(renderStCross, 1, 2, 0)}},
    {339, {8100, 8, "ST_Cross", "ST_Cross_02_090_In", 0, STRETCH(renderStCross, 0, 2, 90)}},
    {340, {8101, 8, "ST_Cross", "ST_Cross_02_090_Out", 0, STRETCH(renderStCross, 1, 2, 90)}},
    {341, {8130, 8, "ST_Cross", "ST_CrossDual_01_000", 0, STRETCH(renderStCrossDual, 1, 0)}},
    {342, {8110, 8, "ST_Cross", "ST_CrossDual_02_000", 0, STRETCH(renderStCrossDual, 2, 0)}},
    {343, {8111, 8, "ST_Cross", "ST_CrossDual_02_090", 0, STRETCH(renderStCrossDual, 2, 90)}},
    {344, {8140, 8, "ST_Blind", "ST_Blind_9_In", 0, STRETCH(renderStBlind, 9, 0)}},
    {345, {8150, 8, "ST_BlindDual", "ST_BlindDual_V_9_In", 0, STRETCH(renderStBlindDual, 9, 0)}},
    {346, {8160, 8, "ST_SizeDown", "ST_SizeDown", 0, STRETCH(renderStSizeUpDown, 1)}},
    {347, {8160, 8, "ST_SizeUp", "ST_SizeUp", 0, STRETCH(renderStSizeUpDown, 0)}},
    {348, {8160, 8, "ST_Multi", "ST_Multi_In", 0, STRETCH(renderStMulti, 0)}},
    {349, {8160, 8, "ST_Multi", "ST_Multi_Out", 0, STRETCH(renderStMulti, 1)}},
    {350, {8160, 8, "ST_MultiWorld", "ST_MultiWorld", 0, STRETCH(renderStMultiWorld, 1)}},
};

const int32_t transitionCount = static_cast<int32_t>(sizeof transitionTable / sizeof transitionTable[0]);

void runTransition(int row, EffectParams* context) { transitionTable[row].row.entry(context); }

#include "Sfx/ImageEffectTable.h"

#include <iterator>

#include "Sfx/ImageEffectEntry.h"
#include "Sfx/Image_Effect_Animation.h"
#include "Sfx/Image_Effect_3D.h"
#include "Sfx/Image_Effect_3DFlag.h"
#include "Sfx/Image_Effect_Frame.h"
#include "Sfx/Image_Effect_Geometry.h"
#include "Sfx/Image_Effect_Light.h"
#include "Sfx/Image_Effect_Move.h"
#include "Sfx/Image_Effect_Plain.h"
#include "Sfx/Image_Effect_Special.h"
#include "Sfx/Image_Effect_Stretch.h"
#include "Sfx/Image_Effect_Warping.h"
#include "Sfx/Image_Effect_Water.h"

namespace {
constexpr const char* kWarping = "Warping";
constexpr const char* kWater = "Water";
constexpr const char* kPlain = "Plain";
constexpr const char* kLight = "Light";
constexpr const char* kStretch = "Stretch";
constexpr const char* k3D = "3D";
constexpr const char* kFrame = "Frame";
constexpr const char* kGeometry = "Geometry";
constexpr const char* kSpecial = "Special";
constexpr const char* kAnimation = "Animation";
constexpr const char* kMove = "Move";
// Rows 56 and 57 are one effect under two ids: one entry serves both.
constexpr EffectEntry kGlass2Entry = VT_IMAGE_EFFECT_ENTRY(Water, applyWtGlass2);
}  // namespace

// catalogue row, {id, group, group name, name, 0, entry}
const ImageEffectRow ImageEffectTable[] = {
    {0, {1000, 0, kWarping, "WP_SineWave", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpSineWave)}},
    {1, {1010, 0, kWarping, "WP_MovingDandy", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpMovingDandy)}},
    {2, {1020, 0, kWarping, "WP_Jewel", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpJewel)}},
    {3, {1030, 0, kWarping, "WP_Ball", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpBall)}},
    {4, {1040, 0, kWarping, "WP_Crestpeak", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpCrestpeak)}},
    {5, {1050, 0, kWarping, "WP_Dia", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpDia)}},
    {6, {1060, 0, kWarping, "WP_TaegukTornado", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpTaegukTornado)}},
    {7, {1070, 0, kWarping, "WP_Ellipse", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpEllipse)}},
    {8, {1080, 0, kWarping, "WP_Ball5", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpBall5)}},
    {9, {1100, 0, kWarping, "WP_Jewel2", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpJewel2)}},
    {10, {1110, 0, kWarping, "WP_Dancing", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpDancing)}},
    {11, {1120, 0, kWarping, "WP_Dancing2", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpDancing2)}},
    {12, {1130, 0, kWarping, "WP_Monitor", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpMonitor)}},
    {13, {1140, 0, kWarping, "WP_Dancing3", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpDancing3)}},
    {14, {1170, 0, kWarping, "WP_PixelEffect5", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpPixelEffect5)}},
    {15, {1180, 0, kWarping, "WP_Beetles", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpBeetles)}},
    {16, {1190, 0, kWarping, "WP_MovingAccel", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpMovingAccel)}},
    {17, {1200, 0, kWarping, "WP_SeoulTornado", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpSeoulTornado)}},
    {18, {1210, 0, kWarping, "WP_KongjuTornado", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpKongjuTornado)}},
    {19, {1220, 0, kWarping, "WP_LATornado", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpLATornado)}},
    {20, {1230, 0, kWarping, "WP_LasVegasTornado", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpLasVegasTornado)}},
    {21, {1240, 0, kWarping, "WP_Ball4", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpBall4)}},
    {22, {1250, 0, kWarping, "WP_Ball3", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpBall3)}},
    {23, {1300, 0, kWarping, "WP_FishEyeLens", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpFishEyeLens)}},
    {24, {1310, 0, kWarping, "WP_Lens", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpLens)}},
    {25, {1320, 0, kWarping, "WP_PrivateTutor", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpPrivateTutor)}},
    {26, {1340, 0, kWarping, "WP_Bilinear2", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpBilinear2)}},
    {27, {1350, 0, kWarping, "WP_Bilinear3", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpBilinear3)}},
    {28, {1360, 0, kWarping, "WP_PsudoBilinear", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpPsudoBilinear)}},
    {29, {1370, 0, kWarping, "WP_FastBilinear", 0, VT_IMAGE_EFFECT_ENTRY(Warping, applyWpFastBilinear)}},
    {30, {2000, 1, kPlain, "PL_MonoColor", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlMonoColor)}},
    {31, {2010, 1, kPlain, "PL_Negative", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlNegative)}},
    {32, {2020, 1, kPlain, "PL_Blur", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlBlur)}},
    {33, {2030, 1, kPlain, "PL_Crepas", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlCrepas)}},
    {34, {2040, 1, kPlain, "PL_Sharpen", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlSharpen)}},
    {35, {2050, 1, kPlain, "PL_SketchMono", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlSketch, 0)}},
    {36, {2060, 1, kPlain, "PL_SketchColor", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlSketch, 1)}},
    {37, {2110, 1, kPlain, "PL_YCPSplit2", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlYCPSplit2)}},
    {38, {2120, 1, kPlain, "PL_YCPSplit", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlYCPSplit)}},
    {39, {2140, 1, kPlain, "PL_RGBSplit2", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlRGBSplit2)}},
    {40, {2150, 1, kPlain, "PL_RGBSplit", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlRGBSplit)}},
    {41, {2170, 1, kPlain, "PL_BitPlaneSlicing", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlBitPlaneSlicing)}},
    {42, {2180, 1, kPlain, "PL_Contrast", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlContrast)}},
    {43, {2190, 1, kPlain, "PL_Contrast2", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlContrast2)}},
    {44, {2230, 1, kPlain, "PL_ColorMask", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlColorMask)}},
    {45, {2260, 1, kPlain, "PL_WaterColor2", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlWaterColor2)}},
    {46, {3000, 2, kWater, "WT_WaterMove", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtWaterMove)}},
    {47, {3020, 2, kWater, "WT_RainFall", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtRainFall)}},
    {48, {3030, 2, kWater, "WT_RainFall3", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtRainFall3)}},
    {49, {3040, 2, kWater, "WT_Wiper", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtWiper)}},
    {50, {3050, 2, kWater, "WT_Water", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtWater)}},
    {51, {3060, 2, kWater, "WT_RainFall2", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtRainFall2)}},
    {52, {3080, 2, kWater, "WT_Water3", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtWater3)}},
    {53, {3110, 2, kWater, "WT_Water4", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtWater4)}},
    {54, {3120, 2, kWater, "WT_Water5", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtWater5)}},
    {55, {3130, 2, kWater, "WT_Glass", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtGlass)}},
    {56, {3140, 2, kWater, "WT_Glass2", 0, kGlass2Entry}},
    {57, {3150, 2, kWater, "WT_Glass2", 0, kGlass2Entry}},
    {58, {3170, 2, kWater, "WT_Water6", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtWater6)}},
    {59, {3180, 2, kWater, "WT_WaterLake", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtWaterLake)}},
    {60, {3190, 2, kWater, "WT_Water2002", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtWater2002, 235, 3, 0, 2000)}},
    {61, {3200, 2, kWater, "WT_Water2002Light", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtWater2002, 235, 5, 2, 2000)}},
    {62, {3210, 2, kWater, "WT_Pond", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtPond, 245, 3, 0, 2000)}},
    {63, {3220, 2, kWater, "WT_Pond2", 0, VT_IMAGE_EFFECT_ENTRY(Water, applyWtPond2, 255, 3, 0, 2000)}},
    {64, {4000, 3, kLight, "LT_EmbossLight", 0, VT_IMAGE_EFFECT_ENTRY(Light, applyLtEmbossLight)}},
    {65, {4010, 3, kLight, "LT_6ColorLight", 0, VT_IMAGE_EFFECT_ENTRY(Light, applyLt6ColorLight)}},
    {66, {4030, 3, kLight, "LT_RGBLight", 0, VT_IMAGE_EFFECT_ENTRY(Light, applyLtRGBLight)}},
    {67, {4040, 3, kLight, "LT_CircleLight", 0, VT_IMAGE_EFFECT_ENTRY(Light, applyLtCircleLight)}},
    {68, {4070, 3, kLight, "LT_StageLight", 0, VT_IMAGE_EFFECT_ENTRY(Light, applyLtStageLight)}},
    {69, {5000, 4, kStretch, "ST_AlphaStretch8", 0, VT_IMAGE_EFFECT_ENTRY(Stretch, applyStAlphaStretch8)}},
    {70, {5010, 4, kStretch, "ST_UpDown", 0, VT_IMAGE_EFFECT_ENTRY(Stretch, applyStUpDown)}},
    {71, {5020, 4, kStretch, "ST_AlphaStretch", 0, VT_IMAGE_EFFECT_ENTRY(Stretch, applyStAlphaStretch)}},
    {72, {5030, 4, kStretch, "ST_AlphaStretch16", 0, VT_IMAGE_EFFECT_ENTRY(Stretch, applyStAlphaStretch16)}},
    {73, {6060, 5, k3D, "3D_Flag", 0, VT_IMAGE_EFFECT_ENTRY(ThreeD, apply3DFlag)}},
    {74, {6150, 5, k3D, "3D_Flag2", 0, VT_IMAGE_EFFECT_ENTRY(ThreeDFlag, apply3DFlag2)}},
    {75, {7000, 6, kFrame, "FR_AlbumClover", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrAlbumClover)}},
    {76, {7010, 6, kFrame, "FR_AlbumHeart", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrAlbumHeart)}},
    {77, {7020, 6, kFrame, "FR_AlbumPlasma", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrAlbumPlasma)}},
    {78, {7030, 6, kFrame, "FR_Frame", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrFrame)}},
    {79, {7040, 6, kFrame, "FR_Frame2", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrFrame2)}},
    {80, {7050, 6, kFrame, "FR_Frame3", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrFrame3)}},
    {81, {7060, 6, kFrame, "FR_Frame4", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrFrame4)}},
    {82, {7070, 6, kFrame, "FR_Frame5", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrFrame5)}},
    {83, {7080, 6, kFrame, "FR_Album", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrAlbum)}},
    {84, {7090, 6, kFrame, "FR_Album2", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrAlbum2)}},
    {85, {7100, 6, kFrame, "FR_Birthday4", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrBirthday4)}},
    {86, {7110, 6, kFrame, "FR_Birthday3", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrBirthday3)}},
    {87, {7120, 6, kFrame, "FR_Birthday2", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrBirthday2)}},
    {88, {7130, 6, kFrame, "FR_Birthday", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrBirthday)}},
    {89, {7140, 6, kFrame, "FR_FrameUp", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrFrameUp)}},
    {90, {7150, 6, kFrame, "FR_GlassPrison", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrGlassPrison)}},
    {91, {7160, 6, kFrame, "FR_Spline", 0, VT_IMAGE_EFFECT_ENTRY(Frame, applyFrSpline)}},
    {92, {8000, 7, kGeometry, "GM_MultiVision", 0, VT_IMAGE_EFFECT_ENTRY(Geometry, applyGmMultiVision)}},
    {93, {8010, 7, kGeometry, "GM_Symetry2", 0, VT_IMAGE_EFFECT_ENTRY(Geometry, applyGmSymetry2)}},
    {94, {9000, 8, kSpecial, "SP_WaveWind", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySpWaveWind)}},
    {95, {9010, 8, kSpecial, "SP_LED", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySpLED)}},
    {96, {9020, 8, kSpecial, "SP_EarthQuake", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySpEarthQuake)}},
    {97, {9040, 8, kSpecial, "SP_Wind", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySpWind)}},
    {98, {9110, 8, kSpecial, "SP_Emboss", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySpEmboss, 2, 256, 256, 256, 256, 200)}},
    {99, {9210, 8, kSpecial, "SP_3DBlockPositive", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySp3DBlock, 3, 0, 0, 1)}},
    {100, {9220, 8, kSpecial, "SP_3DBlockPositive2", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySp3DBlock, 3, 1, 0, 1)}},
    {101, {9230, 8, kSpecial, "SP_3DBlockNegative", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySp3DBlock, 3, 0, 0, 0)}},
    {102, {9240, 8, kSpecial, "SP_3DBlockNegative2", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySp3DBlock, 3, 1, 0, 0)}},
    {103, {9250, 8, kSpecial, "SP_3DBlockCircle", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySp3DBlock, 2, 0, 1, 1)}},
    {104, {9260, 8, kSpecial, "SP_3DBlockCircle2", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySp3DBlock, 2, 1, 1, 1)}},
    {105, {9270, 8, kSpecial, "SP_ChaosZoom", 0, VT_IMAGE_EFFECT_ENTRY(Special, applySpChaosZoom)}},
    {106, {10000, 9, kAnimation, "AN_Shining", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnShining)}},
    {107, {10010, 9, kAnimation, "AN_Shining2", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnShining2)}},
    {108, {10020, 9, kAnimation, "AN_Circle", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnCircle, 0)}},
    {109, {10020, 9, kAnimation, "AN_Circle2", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnCircle, 1)}},
    {110, {10030, 9, kAnimation, "AN_Smoke2", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnSmoke2)}},
    {111, {10040, 9, kAnimation, "AN_Smoke3", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnSmoke3)}},
    {112, {10090, 9, kAnimation, "AN_Smoke", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnSmoke)}},
    {113, {10100, 9, kAnimation, "AN_Bubble", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnBubble)}},
    {114, {10110, 9, kAnimation, "AN_Bubble2", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnBubble2)}},
    {115, {10120, 9, kAnimation, "AN_Bubble3", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnBubble3)}},
    {116, {10130, 9, kAnimation, "AN_FireWork ", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnFireWork)}},
    {117, {10140, 9, kAnimation, "AN_FireWork3D", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnFireWork3D)}},
    {118, {10150, 9, kAnimation, "AN_Space", 0, VT_IMAGE_EFFECT_ENTRY(Animation, applyAnSpace)}},
    {119, {12020, 11, kMove, "MV_LeftScroll2", 0, VT_IMAGE_EFFECT_ENTRY(Move, applyMvScroll, 0)}},
    {120, {12030, 11, kMove, "MV_RightScroll2", 0, VT_IMAGE_EFFECT_ENTRY(Move, applyMvScroll, 1)}},
};

const int32_t ImageEffectTableCount = static_cast<int32_t>(std::size(ImageEffectTable));

void runImageEffect(int row, EffectParams* record) { ImageEffectTable[row].row.entry(record); }

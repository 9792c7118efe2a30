#include "authoring/PreviewTables.h"

#include <cstring>

#include "Animation/AnimationTable.h"
#include "Animation/ParticleList.h"
#include "AnimationEffect/AnimationEffectTable.h"
#include "CG/TitleTable.h"
#include "Sfx/ImageEffectTable.h"
#include "Transition/TransitionTable.h"

const char* const kPreviewTransitionNames[230] = {
    "3D_Ball_In", "3D_Ball_Out", "3D_Ball2_In", "3D_Ball2_Out", "3D_Roll_045In", "3D_Roll_225In",
    "3D_Roll_045Out", "3D_Roll_225Out", "3D_Page_090In", "3D_Page_135In", "3D_Page_000Out", "3D_Page_135Out",
    "3D_Curtain_In", "3D_Curtain_Out", "3D_Wave_In", "3D_Wave_Out", "3D_Vantrelle_In", "3D_Vantrelle_Out",
    "3D_Page_RL", "3D_Page_LR", "3D_007_In", "3D_007_Out", "3D_BlockExplode_28by21_In",
    "3D_BlockExplode_28by21_Out", "3D_Freezen_Explode_28by21_In", "3D_Freezen_Explode_28by21_Out",
    "3D_Blind_Vertical_LR", "3D_Blind_Vertical_RL", "3D_Blind_Horizental_TB", "3D_Blind_Horizental_BT",
    "3D_Page4_In", "3D_Page4_Out", "3D_Real_Block_Explode_In", "3D_Real_Block_Explode_Out",
    "3D_Real_Block_Explode3_In", "3D_Real_Block_Explode3_Out", "3D_Ball_Explode_In", "3D_Ball_Explode_Out",
    "3D_Gugim_In", "3D_Gugim_Out", "3D_1Door_LIn", "3D_2Door_In", "3D_2Door_Out", "3D_YRoto_Door",
    "3D_XRoto_Door", "3D_Twist", "3D_Twist2", "3D_X_Rotate_In", "3D_X_Rotate_Out", "3D_GoGo_In",
    "3D_GoGo_Out", "3D_SCV1", "3D_SCV2", "3D_Blind2Serial_Horizental_9_TB", "3D_Blind2Serial_Vertical_12_LR",
    "3D_Rotate45_360", "3D_Orthogonal_In", "3D_Orthogonal_Out", "3D_Roto_Box", "3D_Flag2_In", "3D_Flag2_Out",
    "BL_XRotate_Rand", "BL_XRotate_Roto1", "BL_XRotate_Roto2", "BL_XRotate_ZigZag1", "BL_XRotate_ZigZag2",
    "BL_XRotate_Diagonal1", "BL_XRotate_Diagonal2", "BL_XRotate_Checker00", "BL_XRotate_Checker01",
    "BL_XRotate_Checker10", "BL_XRotate_Checker11", "BL_XRotate_Checker20", "BL_XRotate_Checker21",
    "BL_XRotate_Checker30", "BL_XRotate_Checker31", "BL_XRotate_Roto_12x9I", "BL_YRotate_Rand",
    "BL_YRotate_Roto1", "BL_YRotate_Roto2", "BL_YRotate_ZigZag1", "BL_YRotate_ZigZag2",
    "BL_YRotate_Diagonal1", "BL_YRotate_Diagonal2", "BL_YRotate_Checker00", "BL_YRotate_Checker01",
    "BL_YRotate_Checker10", "BL_YRotate_Checker11", "BL_YRotate_Checker20", "BL_YRotate_Checker21",
    "BL_YRotate_Checker30", "BL_YRotate_Checker31", "BL_YRotate_Roto_12x9I", "PX_Rand", "PX_Circle_Down",
    "PX_Stretch_In ", "PX_Stretch_Out", "PX_SlideTop_In", "PX_SlideTop_Ou", "PX_SlideBottom_In",
    "PX_SlideBottom_Out", "PX_Line_045", "PX_Line_225", "PL_Fade", "PL_Fade_OutIn", "PL_Blur",
    "PL_Blur_OutIn", "PL_White_OutIn", "PL_BlackFirst", "PL_WhiteFirst", "PL_RedFirst", "PL_GreenFirst",
    "PL_BlueFirst", "PL_YellowFirst", "PL_CyanFirst", "PL_PurpleFirst", "PL_Test", "PL_FadeMax",
    "PL_FadeMax2", "PL_FadeAdd", "PS_LineCross", "RO_Fade_Down_In", "RO_Fade_Down_Out", "RO_In", "RO_Out",
    "RO_Alpha_Down_In", "RO_Alpha_Up_Out", "RO_Circle_1by1In", "RO_Circle_8by6In", "RO_Circle_8by6Out",
    "RO_Multi_12by9_In", "SL_Page", "SL_Falling_In", "SL_Falling_Out", "SL_SplitCross_000In",
    "SL_SplitCross_000Out", "SL_SplitCross_045In", "SL_SplitCross_045Out", "SL_Slot_8by6", "SL_SpaceGate_In",
    "SL_SpaceGate_Out", "SL_Triangle_Explode_RO_In", "SL_Triangle_Explode_RO_Out", "SP_LED", "SP_Pole_Left",
    "SP_Pole_Center", "SP_Radio_Up", "SP_Wind", "SP_RGBSplit_000In", "SP_RGBSplit_000Out", "SP_Circle_In",
    "SP_Circle_Out", "SP_Noise", "SP_Circle3DLED", "SP_Rect3DLED", "ST_Alpha_In", "ST_Alpha_Out",
    "ST_AlphaMove_In", "ST_AlphaMove_Out", "ST_FoldingFan_In", "ST_FoldingFan_Out", "ST_Discrete_In",
    "ST_Discrete_Out", "ST_Discrete2_In", "ST_Discrete2_Out", "ST_SizeDown", "ST_SizeUp", "ST_Multi_In",
    "ST_Multi_Out", "ST_MultiWorld", "WA_Jewel", "WA_RainFall", "WA_RainFall2", "WA_RainFall3", "WA_Water",
    "WA_Water_In", "WA_Water_Out", "WA_Water2_In", "WA_Water2_Out", "WA_WaterMove_In", "WA_WaterMove_Out",
    "WA_Glass", "WA_Glass2", "WA_Tutor_In", "WA_Tutor_Out", "WA_Tornado2", "WA_DualTornado_In",
    "WA_DualTornado_Out", "WA_Circle_In", "WA_Dancing_In", "WA_Dancing_Out", "WA_Monitor_In",
    "WA_Monitor_Out", "WA_ExplodeBall", "WI_Shutter2_In", "WI_Shutter2_Out", "WI_FadeWatch",
    "WI_FadeWatch_Anti", "WI_MultiCircle_12by9_In", "WI_MultiCircle_28by21_In", "WI_MultiCircle_12by9_Out",
    "WI_MultiCircle_28by21_Out", "WI_Ostberg_05_In", "WI_Ostberg_05_Out", "WI_Triangle_In", "WI_Triangle_Out",
    "WI_Curtain_Up", "WI_Curtain_Down", "WI_CurtainRedFire_Up", "WI_Spline_In", "WI_Spline_Out",
    "WI_AlphaCircle_In", "WI_AlphaCircle_Out", "WI_Line_BE_045", "WI_Line_BE_225", "WI_Corner_BE_225_In",
    "WI_Arc_225_BE_In", "WI_Domino_12by9_000", "WI_Domino_12by9_090", "WI_Domino_12by9_180",
    "WI_Domino_12by9_270", "WI_Domino_28by21_000", "WI_Domino_28by21_090", "WI_Domino_28by21_180",
    "WI_Domino_28by21_270", "WI_Side_BE_Out", "WI_Side_BE_In", "WI_Diamond_12by9_In", "WI_Star_In",
    "WI_RandPoligon_In",
};

const char* const kPreviewImageEffectNames[72] = {
    "WP_Jewel", "WP_Crestpeak", "WP_Dia", "WP_Jewel2", "WP_Dancing", "WP_MovingAccel", "WP_FishEyeLens",
    "WP_Lens", "WP_Bilinear3", "PL_MonoColor", "PL_Negative", "PL_Blur", "PL_Crepas", "PL_Sharpen",
    "PL_SketchMono", "PL_SketchColor", "PL_RGBSplit", "PL_BitPlaneSlicing", "PL_Contrast", "PL_Contrast2",
    "PL_ColorMask", "PL_WaterColor2", "WT_WaterMove", "WT_RainFall", "WT_RainFall3", "WT_Wiper", "WT_Water",
    "WT_RainFall2", "WT_Water3", "WT_Water5", "WT_Glass", "WT_WaterLake", "WT_Water2002", "WT_Water2002Light",
    "LT_EmbossLight", "LT_6ColorLight", "LT_RGBLight", "LT_CircleLight", "LT_StageLight", "ST_AlphaStretch8",
    "ST_UpDown", "ST_AlphaStretch", "ST_AlphaStretch16", "3D_Flag", "3D_Flag2", "FR_AlbumPlasma", "FR_Frame",
    "FR_Frame4", "FR_Frame5", "FR_Album2", "FR_Birthday4", "FR_Birthday", "FR_FrameUp", "FR_GlassPrison",
    "FR_Spline", "GM_MultiVision", "GM_Symetry2", "SP_WaveWind", "SP_LED", "SP_Wind", "SP_3DBlockPositive",
    "AN_Shining", "AN_Shining2", "AN_Circle", "AN_Circle2", "AN_Bubble", "AN_Bubble2", "AN_Bubble3",
    "AN_FireWork ", "AN_FireWork3D", "MV_LeftScroll2", "MV_RightScroll2",
};

const char* const kPreviewAnimationNames[30] = {
    "Bubble", "MetalBubble", "FireWork", "FireWork3D", "WaveRainbow", "Sun2", "Sun3", "rgbLights1",
    "rgbLights2", "ShiningStar", "ShiningStar2", "ShiningStar3", "Veskor", "Lumbra", "Tolvek", "HappyMirel",
    "HappyTavia", "Bruvel", "Nodra", "ColorLight", "ColorLight2", "ColorLight3", "RingLight", "Lights_3D",
    "Lights_3D2", "Dot", "Dot2", "SpectrumDot", "SpectrumDot2", "Line3",
};

namespace {

// Names match exactly, or else with blanks and tabs at their ends set aside
// (the catalogues keep a few names with a trailing blank or TAB).
bool sameName(const char* a, const char* b) {
    if (std::strcmp(a, b) == 0) return true;
    auto trimmedLength = [](const char* s) {
        size_t n = std::strlen(s);
        while (n && (s[n - 1] == ' ' || s[n - 1] == '\t')) --n;
        return n;
    };
    const size_t n = trimmedLength(a);
    return n == trimmedLength(b) && std::strncmp(a, b, n) == 0;
}

template <class Row, size_t N>
PreviewTable build(const char* const (&names)[N], const Row* rows, int32_t count) {
    PreviewTable t{};
    for (const char* name : names) {
        for (int32_t i = 0; i < count; ++i)
            if (sameName(rows[i].row.name, name)) {
                t.rows[t.count++] = &rows[i].row;
                break;
            }
    }
    return t;
}

}  // namespace

const PreviewTable& previewTransitionTable() {
    static const PreviewTable t = build(kPreviewTransitionNames, transitionTable, transitionCount);
    return t;
}

const PreviewTable& previewImageEffectTable() {
    static const PreviewTable t = build(kPreviewImageEffectNames, ImageEffectTable, ImageEffectTableCount);
    return t;
}

const PreviewTable& previewAnimationTable() {
    static const PreviewTable t = build(kPreviewAnimationNames, AnimationTable, AnimationTableCount);
    return t;
}

void runPreviewTransition(int row, EffectParams* record) { previewTransitionTable().rows[row]->entry(record); }
void runPreviewImageEffect(int row, EffectParams* record) { previewImageEffectTable().rows[row]->entry(record); }
void runPreviewAnimation(int row, EffectParams* record) { previewAnimationTable().rows[row]->entry(record); }

const FamilyServices& previewFamilyServices() {
    static const FamilyServices services = [] {
        FamilyServices s;
        s.runTransition = runPreviewTransition;
        s.transitionCount = &previewTransitionTable().count;
        s.runImageEffect = runPreviewImageEffect;
        s.imageEffectCount = &previewImageEffectTable().count;
        s.runTitleStyle = runTitleStyle;
        s.runTitleMotionEffect = runTitleMotionEffect;
        s.titleCounts = titleTableCounts;
        s.runAnimation = runPreviewAnimation;
        s.animationCount = &previewAnimationTable().count;
        s.runAnimationEffect = runAnimationEffect;
        s.animationEffectCount = &AnimationEffectTableCount;
        s.blurSlowRow = &AnimationEffectBlurSlowRow;
        s.resetParticleLists = resetParticleLists;
        s.freeParticleLists = freeParticleLists;
        return s;
    }();
    return services;
}

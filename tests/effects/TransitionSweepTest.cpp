// Every built row of the engine's transition table through the effect sweep.
// A row is expected to show the outgoing picture at progress 0 and the incoming
// one on the last frame, within one channel step (a weight of 255 of 256 leaves
// one); the rows that are meant to behave otherwise are listed with the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "Animation/AnimationTable.h"
#include "Animation/ParticleList.h"
#include "Transition/TransitionTable.h"
#include "render/Camera3D.h"
#include "tests/effects/AnimationFixture.h"
#include "tests/support/EffectSweep.h"

using namespace vt_test;

namespace {

struct RuleNote {
    int firstRow, lastRow;   // catalogue row numbers
    RowRule rule;
    const char* reason;
};

RowRule outgoingOnly(int tolerance) {
    RowRule r;
    r.outgoingTolerance = tolerance;
    return r;
}
RowRule incomingOnly(int tolerance) {
    RowRule r;
    r.incomingTolerance = tolerance;
    return r;
}

constexpr const char* kStillSqueezed =
    "Stretch: at progress 0.999 the arriving picture is still a pixel short of its full size (or the leaving one a "
    "pixel wide), so its samples are shifted";
constexpr const char* kFanBorder =
    "folding fan: a turned point on the left or top border shows the base picture, and the sector lacks 2/2048 of "
    "the turn at 0.999 (Out: a thin sector of turned blades remains)";
constexpr const char* kZoomBlur =
    "zoom blur: the zoomed picture is a mix of masked copies at 15/16 brightness (the 15-copy one loses up to 14 "
    "steps); the Out rows start from that mix and end with weight 254 of 256";
constexpr const char* kBlockRevealForward =
    "BL_ reveal, forward: the last frame has passed N - 1 of N blocks, so the last block still shows the outgoing picture";
constexpr const char* kBlockPushForward =
    "BL_Push, forward: the last frame has moved the blocks N - 1 places, the incoming picture one place short of home";
constexpr const char* kBlockTurnForward =
    "BL_ turning, forward: the blocks last in the order are still mid-turn on the last frame";
constexpr const char* kBlockTurnBackward =
    "BL_ turning, backward: every block starts half turned, its back face shifted by a pixel and lit; "
    "the first blocks still tilt at the end";

RowRule noEndChecks() { return RowRule{}; }
constexpr const char* kLitSheet =
    "3D sheet: the flat picture goes through the mesh light (ambient 150 is 259/256), so the flat end is up to 2 "
    "steps brighter";
constexpr const char* kDiagonalSheet =
    "3D sheet at a diagonal: the sheet turned there and back in floats misses edge pixels of the flat end, which "
    "keep the background";
constexpr const char* kLitMesh =
    "3D mesh: the picture is lit by the mesh light at the end where it lies flat, and the other end still shows "
    "the moving picture (gathered, far off, edge-on or in flight)";
constexpr const char* kTiles =
    "3D tiles: the tiles are lit flat, the last tile row stops a pixel short and slow tiles are still on screen "
    "at the far end";
constexpr const char* kBlinds =
    "3D blinds: the slats are lit flat per slat and turned slats leave single columns or rows of the background";

// Workers that work about the centre leave an odd last column or row as it was.
RowRule evenOnly(RowRule r) {
    r.evenSizeEnds = true;
    return r;
}
RowRule endTolerance(int tolerance) {
    RowRule r;
    r.endTolerance = tolerance;
    return r;
}

constexpr const char* kWholeLines =
    "moves by whole lines: at progress 0.999 the moving picture is still a line short of its place (In) or its "
    "last line has not left (Out)";
constexpr const char* kQuarterTerms =
    "SL_SplitCross: four quarter-weight terms with their low 2 bits dropped, so every channel may lose up to 3";
constexpr const char* kTriangleSeams =
    "SL_Triangle_Explode_Out: the shared triangle filler leaves each triangle's bottom row and span ends, so the "
    "seams of the assembled pieces show the incoming picture at the start";

constexpr const char* kWipeShortOfEnd =
    "WI_ sharp edge without margin: at progress 0.999 the edge is still a pixel short of the far side (a row, column or "
    "cell corner of the outgoing picture remains), or at progress 0 a pixel past the near side";
constexpr const char* kWipeSlats =
    "WI_Blinder: slats one pixel thicker than the nominal b keep their extra row or column (outgoing picture or black) "
    "at the far end of the transition, and the staggered slats are a pixel short at 0.999";
constexpr const char* kWipeClock =
    "WI_ outlines moved by a step per frame and seeded from the clock's seconds: nothing ties the ends to the progress, "
    "and two runs may straddle a second";

RowRule wipeClockRule() {
    RowRule r;
    r.deterministic = false;
    return r;
}

const RuleNote kNotes[] = {
    {0, 1, noEndChecks(), "3D_Ball: the background fades to or from black under a lit ball"},
    {2, 2, outgoingOnly(1), "3D_Ball2_In: the flattened picture is lit by the mesh light"},
    {3, 3, RowRule{}, "3D_Ball2_Out: the picture is lit at the start and a one-pixel meridian is left at 0.999"},
    {4, 4, endTolerance(2), kLitSheet},
    {5, 5, outgoingOnly(2), kDiagonalSheet},
    {6, 6, endTolerance(2), kLitSheet},
    {7, 7, outgoingOnly(2), kDiagonalSheet},
    {8, 8, endTolerance(2), kLitSheet},
    {9, 9, outgoingOnly(2), kDiagonalSheet},
    {10, 10, endTolerance(2), kLitSheet},
    {11, 11, outgoingOnly(2), kDiagonalSheet},
    {12, 12, endTolerance(2), kLitSheet},
    {13, 13, incomingOnly(2), kDiagonalSheet},
    {14, 14, endTolerance(2), kLitSheet},
    {15, 15, incomingOnly(2), kDiagonalSheet},
    {16, 16, endTolerance(2), kLitSheet},
    {17, 17, incomingOnly(2), kDiagonalSheet},
    {18, 18, endTolerance(2), kLitSheet},
    {19, 19, incomingOnly(2), kDiagonalSheet},
    {20, 20, endTolerance(2), kLitSheet},
    {21, 21, outgoingOnly(2), kDiagonalSheet},
    {22, 22, endTolerance(2), kLitSheet},
    {23, 23, outgoingOnly(2), kDiagonalSheet},
    {24, 24, endTolerance(2), kLitSheet},
    {25, 25, outgoingOnly(2), kDiagonalSheet},
    {26, 26, endTolerance(2), kLitSheet},
    {27, 27, outgoingOnly(2), kDiagonalSheet},
    {28, 28, endTolerance(2), kLitSheet},
    {29, 29, incomingOnly(2), kDiagonalSheet},
    {30, 30, endTolerance(2), kLitSheet},
    {31, 31, incomingOnly(2), kDiagonalSheet},
    {32, 32, endTolerance(2), kLitSheet},
    {33, 33, incomingOnly(2), kDiagonalSheet},
    {34, 34, endTolerance(2), kLitSheet},
    {35, 35, incomingOnly(2), kDiagonalSheet},
    {36, 43, noEndChecks(), kLitMesh},
    {44, 44, outgoingOnly(1), "3D_007_In: the flat incoming picture is lit by the mesh light at the end"},
    {45, 45, incomingOnly(1), "3D_007_Out: the flat outgoing picture is lit by the mesh light at the start"},
    {46, 49, noEndChecks(), kTiles},
    {50, 53, noEndChecks(), kBlinds},
    {54, 55, noEndChecks(), kLitMesh},
    // 3D: lit faces and meshes change the picture's colours at both ends, doors
    // leave a thin edge-on leaf, and the tiles, pieces and crumpled meshes are
    // scattered at one end by design.
    {56, 61, noEndChecks(),
     "3D_Real_Block_Explode: the pieces are scattered at one end; at home the skip-black cell filler draws a "
     "notch's border texels black over the neighbour's tab, and the curved cut keeps its outlines black"},
    {62, 63, noEndChecks(),
     "3D_Ball_Explode: the flat picture keeps the sphere's depth in its perspective, and burst tiles are still "
     "flying at the far end"},
    {64, 65, noEndChecks(), "3D_Gugim: a lit mesh (ambient 150) with random crumple points, scattered at one end"},
    {66, 77, noEndChecks(),
     "3D_1Door/2Door: the flat leaf is lit (light 281 of 256), and edge-on it is still a line at its hinge"},
    {78, 79, noEndChecks(), "3D_Roto_Door: the door is lit and turns over black; its edges fall between pixels"},
    {80, 81, noEndChecks(), "3D_Twist: source row 0 counts as outside and shows black; the twist is not quite undone at 0.999"},
    {82, 83, noEndChecks(), "3D_X_Rotate: draws nothing at scale 0 and is still turning at the other end"},
    {84, 84, noEndChecks(), "3D_Y_Rotate: the cylinder is shaded (bright centre, dark edges) at both ends"},
    {85, 86, noEndChecks(), "3D_GoGo: the sign's row step truncates, so the flat face shows each row one row down"},
    {87, 90, noEndChecks(), "3D_SCV: black bands at top and bottom on every frame, and the mesh is lit"},
    {91, 93, noEndChecks(), kBlinds},
    {94, 94, noEndChecks(),
     "3D_Block_Explode2: tiles fly in from afar at the start; on small frames tiles of 2-3 pixels land with an edge "
     "column a pixel off"},
    {95, 101, noEndChecks(), "3D_Rotate45/Orthogonal: the picture is a lit mesh over black or the other picture"},
    {102, 102, noEndChecks(), "3D_Roto_Box: the box faces are lit, over black"},
    {103, 104, noEndChecks(), "3D_Flag2: the lit flag waves in a random wind at both ends"},
    {105, 105, outgoingOnly(0), kBlockRevealForward},
    {106, 106, outgoingOnly(0), kBlockRevealForward},
    {108, 108, outgoingOnly(0), kBlockRevealForward},
    {110, 110, outgoingOnly(0), kBlockRevealForward},
    {112, 112, outgoingOnly(0), kBlockRevealForward},
    {114, 114, outgoingOnly(0), kBlockRevealForward},
    {116, 116, outgoingOnly(0), kBlockRevealForward},
    {118, 118, outgoingOnly(0), kBlockRevealForward},
    {120, 120, outgoingOnly(0), kBlockRevealForward},
    {121, 121, outgoingOnly(0), kBlockPushForward},
    {122, 122, outgoingOnly(0), kBlockPushForward},
    {125, 125, outgoingOnly(0), kBlockPushForward},
    {127, 127, outgoingOnly(0), kBlockPushForward},
    {129, 129, outgoingOnly(0), kBlockPushForward},
    {131, 131, outgoingOnly(0), kBlockPushForward},
    {133, 133, outgoingOnly(0), kBlockPushForward},
    {135, 135, outgoingOnly(0), kBlockPushForward},
    {136, 136, outgoingOnly(0), kBlockTurnForward},
    {137, 137, outgoingOnly(0), kBlockTurnForward},
    {139, 139, outgoingOnly(0), kBlockTurnForward},
    {141, 141, outgoingOnly(0), kBlockTurnForward},
    {143, 143, outgoingOnly(0), kBlockTurnForward},
    {145, 145, outgoingOnly(0), kBlockTurnForward},
    {147, 147, outgoingOnly(0), kBlockTurnForward},
    {149, 149, outgoingOnly(0), kBlockTurnForward},
    {151, 151, outgoingOnly(0), kBlockTurnForward},
    {152, 152, outgoingOnly(0), kBlockTurnForward},
    {153, 153, outgoingOnly(0), kBlockTurnForward},
    {155, 155, outgoingOnly(0), kBlockTurnForward},
    {157, 157, outgoingOnly(0), kBlockTurnForward},
    {159, 159, outgoingOnly(0), kBlockTurnForward},
    {161, 161, outgoingOnly(0), kBlockTurnForward},
    {163, 163, outgoingOnly(0), kBlockTurnForward},
    {165, 165, outgoingOnly(0), kBlockTurnForward},
    {167, 167, outgoingOnly(0), kBlockTurnForward},
    {138, 138, RowRule{}, kBlockTurnBackward},
    {140, 140, RowRule{}, kBlockTurnBackward},
    {142, 142, RowRule{}, kBlockTurnBackward},
    {144, 144, RowRule{}, kBlockTurnBackward},
    {146, 146, RowRule{}, kBlockTurnBackward},
    {148, 148, RowRule{}, kBlockTurnBackward},
    {150, 150, RowRule{}, kBlockTurnBackward},
    {154, 154, RowRule{}, kBlockTurnBackward},
    {156, 156, RowRule{}, kBlockTurnBackward},
    {158, 158, RowRule{}, kBlockTurnBackward},
    {160, 160, RowRule{}, kBlockTurnBackward},
    {162, 162, RowRule{}, kBlockTurnBackward},
    {164, 164, RowRule{}, kBlockTurnBackward},
    {166, 166, RowRule{}, kBlockTurnBackward},
    {168, 168, outgoingOnly(0), "PX_Rand: pixels whose threshold is 255 still show the outgoing picture at the last step (255)"},
    {171, 171, outgoingOnly(1),
     "PX_Stretch_In: row 0 and column 0 keep the outgoing background, the first frame mixes in a trace of the "
     "mover and the last is still a hair enlarged"},
    {172, 172, incomingOnly(1), "PX_Stretch_Out: row 0 and column 0 show the incoming background from the first frame"},
    {173, 173, outgoingOnly(0),
     "PX_SlideTop_In: a top-row pixel with the longest delay reaches row 0 only one step after the last frame"},
    {174, 174, incomingOnly(1),
     "PX_SlideTop_Out: a top-row pixel with the longest delay has already left at progress 0"},
    {175, 175, outgoingOnly(0), "PX_SlideBottom_In: the mover's row 0 is never drawn; the top row keeps the outgoing picture"},
    {176, 176, incomingOnly(1), "PX_SlideBottom_Out: the mover's row 0 is never drawn; the top row shows the incoming picture"},
    {177, 177, outgoingOnly(1),
     "PX_Explode_In: row 0 and column 0 keep the outgoing background; the first frame already mixes in a trace of the mover"},
    {178, 178, incomingOnly(1), "PX_Explode_Out: row 0 and column 0 show the incoming background from the first frame"},
    {179, 179, incomingOnly(2),
     "PX_Spray: the first frame already sprays about the top-left corner; the unsprayed rest fades in with weight 254"},
    {212, 212, incomingOnly(0),
     "PL_Test: incoming pixels brighter than the starting threshold (150 x 1024) show from the first frame"},
    {213, 213, outgoingOnly(0),
     "PL_FadeMax: an incoming channel of 0 never outweighs the outgoing one, so the last frame keeps it"},
    {216, 219, outgoingOnly(0), kWholeLines},
    {220, 220, noEndChecks(),
     "PS_Cross_15_045: the oblique bands go through the shared quad filler, whose affine steps put pixels up to "
     "a texel off, and band ends whose texture lies outside the picture are black"},
    {221, 221, outgoingOnly(0), kWholeLines},
    {222, 225, RowRule{},
     "RO_Fade: blends into the previous frame (trails); progress 0 leaves the canvas (weight 0 or half of A) and B "
     "is reached only after the transition"},
    {226, 226, outgoingOnly(0), "RO_In: B is still a little small and turned at 0.999"},
    {228, 228, outgoingOnly(0), "RO_Alpha_Down_In: B is still a little large and turned at 0.999"},
    {230, 230, outgoingOnly(0), "RO_Rotate1: B is still a little small and turned at 0.999"},
    {231, 232, RowRule{},
     "RO_Rotate2/4: a zoomed picture is drawn blended (weight at most 1 / 1.01), over A from the first frame"},
    {233, 234, outgoingOnly(0), "RO_Circle In: the cells' corner pixels lie outside the growing disc until the end"},
    {235, 235, RowRule{}, "RO_Circle Out: the cells' corner pixels show B from the first frame"},
    {236, 236, RowRule{},
     "RO_PageIn: the quarter-turned B touches the frame's edge at progress 0 and is still turned a little at 0.999"},
    {237, 238, outgoingOnly(0), "RO_PageOut / RO_Multi: the moving picture has not quite left (arrived) at 0.999"},
    {239, 239, outgoingOnly(0), kWholeLines},
    {242, 243, outgoingOnly(0), kWholeLines},
    {245, 245, outgoingOnly(0), kWholeLines},
    {246, 246, incomingOnly(0),
     "SL_X_In: with odd sizes the side triangles' travel f x W / H (integer) falls short of the half width, so a "
     "few incoming pixels show at the start"},
    {247, 247, outgoingOnly(0), kWholeLines},
    {249, 249, outgoingOnly(0), kWholeLines},
    {250, 250, endTolerance(3), kQuarterTerms},
    {251, 251, outgoingOnly(3), kQuarterTerms},
    {252, 252, incomingOnly(3),
     "SL_SplitCross_045In: at 45 degrees the copies start only 0.7 W away along each axis, so parts of them lie "
     "in the frame from the start; quarter terms lose the low 2 bits"},
    {253, 253, outgoingOnly(3), kQuarterTerms},
    {254, 254, outgoingOnly(0), kWholeLines},
    {255, 256, noEndChecks(),
     "SL_SpaceGate: blades turn about pivots on a circle; at 0.86 radians the turned blades still overlap their "
     "places in a few pixels, and the centre pixels lie on every blade circle and belong to no blade"},
    {257, 260, outgoingOnly(0), kWholeLines},
    {264, 264, outgoingOnly(0), kWholeLines},
    {268, 271, outgoingOnly(0), kWholeLines},
    {273, 273, outgoingOnly(0), kWholeLines},
    {275, 277, outgoingOnly(0), kWholeLines},
    {278, 278, noEndChecks(),
     "SL_Cross_15_045_Out: the oblique bands go through the shared quad filler, whose affine steps put pixels up "
     "to a texel off the outgoing picture"},
    {279, 280, outgoingOnly(0), kWholeLines},
    {281, 281, incomingOnly(0), kTriangleSeams},
    {282, 282, outgoingOnly(0), kWholeLines},
    {283, 283, incomingOnly(0), kTriangleSeams},
    {284, 284, RowRule{}, "SP_LED: the first column and row lie outside every dot and keep the canvas"},
    {285, 287, outgoingOnly(0), "SP_Pole: B's edge column is still stretched over the last column at 0.999"},
    {288, 288, outgoingOnly(0), "SP_Radio_Up: the ring picture's weight and radius are still short of full at 0.999"},
    {289, 289, RowRule{},
     "SP_Radio_Down: corners beyond the truncated radius show A's rim point at progress 0; A's weight is still 8 "
     "of 256 at 0.999"},
    {290, 290, outgoingOnly(0), "SP_Wind: B is still faintly smeared at 0.999 (factor 508 of 512)"},
    {293, 293, RowRule{}, "SP_RGBBlock: progress is not used; random discs of B's channels build up over the canvas"},
    {294, 294, outgoingOnly(0), "SP_Circle_In: the pinch has not flattened out completely at 0.999"},
    {295, 295, RowRule{}, "SP_Circle_Out: a faint pinch at progress 0 and a sliver of the lens at 0.999"},
    {297, 298, RowRule{}, "SP_3DLED: every pixel is a lit LED, also at the ends"},
    {299, 299, outgoingOnly(0), "SP_ChaosZoomOut: a two-row band of streaks remains at 0.999"},
    // Stretch: progress stops at 0.999, where a squeezed or zoomed picture is
    // still a pixel short of its size; on the noise pattern that shifts every sample.
    {301, 301, outgoingOnly(1), kStillSqueezed},
    {303, 307, outgoingOnly(1), kStillSqueezed},
    {309, 309, outgoingOnly(1), kStillSqueezed},
    {311, 311, outgoingOnly(1), "ST_jurum_In: column 0 of the strip is never drawn, so column 0 keeps the outgoing picture"},
    {312, 312, noEndChecks(), "ST_jurum_Out: column 0 is never drawn from the strip, so it shows the incoming picture from the "
                              "start, and at 0.999 the outgoing picture's last column still lands on it"},
    {313, 313, outgoingOnly(1), kFanBorder},
    {314, 314, RowRule{}, kFanBorder},
    {315, 315, outgoingOnly(1), kFanBorder},
    {316, 316, incomingOnly(1), kFanBorder},
    {317, 317, outgoingOnly(1), kZoomBlur},
    {318, 318, incomingOnly(3), kZoomBlur},
    {319, 319, outgoingOnly(1), kZoomBlur},
    {320, 320, incomingOnly(3), kZoomBlur},
    {321, 324, outgoingOnly(1), kStillSqueezed},
    {328, 328, outgoingOnly(1), kStillSqueezed},
    {332, 335, outgoingOnly(1), kStillSqueezed},
    {337, 337, outgoingOnly(1), kStillSqueezed},
    {339, 339, outgoingOnly(1), kStillSqueezed},
    {341, 343, outgoingOnly(1), kStillSqueezed},
    {345, 345, outgoingOnly(1), kStillSqueezed},
    {347, 348, outgoingOnly(1), kStillSqueezed},
    {350, 350, outgoingOnly(1), "ST_MultiWorld: at 0.999 the incoming picture is still magnified 1.256 times"},
    // Warping: the ends are bent, lit or cut as the workers are tuned; the
    // centre workers leave an odd last column or row as it was.
    {351, 351, RowRule{}, "WA_Jewel: pixel (0, 0) is black at progress 0 (its index fails 0 < n), and small frames still bend at 0.999"},
    {352, 352, RowRule{}, "WA_RainFall: pixel (0, 0) is never drawn (index 0), and the drops' field is still decaying at the end"},
    {353, 354, RowRule{}, "WA_RainFall2/3: drops fall from the first frame and their waves have not died away at the end"},
    {355, 356, evenOnly(outgoingOnly(0)), "WA_Water: at 0.999 the ripple scale is just under 1, moving far points by a pixel"},
    {357, 357, evenOnly(endTolerance(1)), "WA_Water_Out: an odd last column or row stays as it was"},
    {358, 358, evenOnly(outgoingOnly(0)), "WA_Water2_In: at 0.999 the ripple scale is just under 1, moving far points by a pixel"},
    {359, 359, RowRule{}, "WA_Water2_Out: the light band lies on the screen edge at both ends"},
    {360, 360, outgoingOnly(0), "WA_WaterMove_In: the light band lies on the right edge of the last frame"},
    {361, 361, RowRule{}, "WA_WaterMove_Out: the light band lies on the screen edge at both ends"},
    {363, 363, RowRule{}, "WA_Glass2: column 0 is never fetched and stays black in every frame"},
    {364, 364, evenOnly(outgoingOnly(0)), "WA_Tutor_In: the light band lies on the right edge of the last frame"},
    {365, 365, RowRule{}, "WA_Tutor_Out: the light band lies on the screen edge at both ends"},
    {366, 367, RowRule{}, "WA_Tornado: the swirl shows its inner picture's centre pixel at the start and a slight turn at the end"},
    {368, 368, evenOnly(outgoingOnly(0)), "WA_Tornado2: on small frames the swirl still turns at 0.999"},
    {369, 369, outgoingOnly(0), "WA_DualTornado_In: the swirls still turn and zoom slightly at 0.999"},
    {370, 370, incomingOnly(1), "WA_DualTornado_Out: the zoom is 1023/1024 at progress 0"},
    {371, 371, incomingOnly(1), "WA_Clover_In: the orbit centre shows the incoming picture from the start"},
    {372, 372, outgoingOnly(1), "WA_Clover_Out: the orbit centre shows the outgoing picture to the end"},
    {373, 374, RowRule{}, "WA_P1: the pull lens is at full strength at one end"},
    {375, 375, incomingOnly(1), "WA_Circle_In: the circle starts with a radius of about 22 pixels"},
    {376, 376, outgoingOnly(1), "WA_Circle_Out: a circle of about 22 pixels is left at the end"},
    {377, 377, RowRule{}, "WA_Multi: row 0 and column 0 are never fetched and stay black"},
    {378, 378, outgoingOnly(1), "WA_Dancing_In: far points are still moved a pixel at 0.999"},
    {382, 382, incomingOnly(1), "WA_Hole_In: the hole pushes its picture out at full strength at progress 0"},
    {383, 383, outgoingOnly(1), "WA_Hole_Out: the hole pushes its picture out at full strength at the end"},
    {384, 384, evenOnly(endTolerance(1)), "WA_Drum: an odd last column or row stays as it was"},
    {385, 385, evenOnly(outgoingOnly(0)), "WA_ExplodeBall: the disc of the incoming picture reaches the corners only after 0.999"},
    {386, 386, incomingOnly(0), "WI_Diagonal_Out: with an odd size the middle column and row lie in none of the four corners"},
    {387, 387, noEndChecks(), "WI_LineCross: even rows show the incoming picture in column 0 from the start, odd rows keep "
                              "the outgoing one in their last column"},
    {388, 388, incomingOnly(0), "WI_Shutter_In: the centre pixel of an even size lies on all four blade edges and shows the incoming picture"},
    {389, 389, outgoingOnly(0), "WI_Shutter_Out: the centre pixel of an even size lies on all four blade edges and keeps the outgoing picture"},
    {390, 390, outgoingOnly(0), "WI_Shutter2_In: the opening's radius stays below the half-diagonal, the corners keep the outgoing picture"},
    {391, 391, incomingOnly(0), "WI_Shutter2_Out: the corners lie beyond the truncated radius and show the incoming picture"},
    {392, 395, outgoingOnly(0), "WI_Watch: at 0.999 the pixels whose angle is 0 to 4 (just before twelve o'clock) are not reached"},
    {396, 396, incomingOnly(2), "WI_AlphaBlock: below progress 0.05 nothing is drawn (the canvas keeps the frame before); the "
                                "outgoing share of 256 - w fades to 2 of 256 at 0.999"},
    {397, 398, outgoingOnly(0), "WI_RandLine: a line whose threshold is 1022 or 1023 still shows the outgoing picture at 0.999"},
    {399, 400, outgoingOnly(0), "WI_MultiCircle_In: the circles' radius is still short of the cell corners at 0.999"},
    {401, 402, incomingOnly(0), "WI_MultiCircle_Out: the cell corners lie outside the full circles from the start"},
    {403, 403, outgoingOnly(0), "WI_Ostberg_05_In: at 0.999 the threshold is still 1, so pixels whose residues are both 0 keep the outgoing picture"},
    {407, 407, outgoingOnly(0), "WI_Circle_In: the corners lie beyond the truncated radius at 0.999"},
    {408, 408, incomingOnly(0), "WI_Circle_Out: the corners lie beyond the truncated radius from the start"},
    {409, 414, noEndChecks(), "WI_Curtain: the wavy edge already reaches into the picture at progress 0 and has not left it at 0.999; "
                              "the fire rows also add flames along it"},
    {415, 418, wipeClockRule(), kWipeClock},
    {419, 419, RowRule{}, "WI_RandLineCross: the first frame already draws lines of the incoming picture; the rest fades in "
                          "with weight 254 of 256 at 0.999"},
    {420, 420, outgoingOnly(0), "WI_AlphaCircle_In: towards its rim the fading circle still mixes in the outgoing picture at 0.999"},
    {421, 421, incomingOnly(0), "WI_AlphaCircle_Out: the fading circle mixes in the incoming picture towards its rim from the start"},
    {434, 437, outgoingOnly(0), "WI_Line_BE at 180 to 315: the edge truncated toward zero lies 49 pixels out at 0.999, so the soft "
                                "band grazes the first row or column with weight 4055 of 4096"},
    {438, 441, outgoingOnly(0), kWipeShortOfEnd},
    {442, 442, incomingOnly(1), "WI_Corner_SE_045_Out: on the preview's 151 x 113 the soft corner's band still touches the "
                                "picture at the start"},
    {443, 445, incomingOnly(0), kWipeShortOfEnd},
    {448, 448, incomingOnly(0), "WI_Arc_225_BE_In: the centre lies one picture radius out, closer than the soft band's 50 pixels "
                                "on small pictures, so the band touches the corner at the start"},
    {449, 458, outgoingOnly(0), kWipeShortOfEnd},
    {459, 460, incomingOnly(0), kWipeShortOfEnd},
    {461, 462, outgoingOnly(0), kWipeShortOfEnd},
    {463, 464, incomingOnly(0), kWipeShortOfEnd},
    {465, 468, outgoingOnly(0), kWipeSlats},
    {469, 472, incomingOnly(0), kWipeSlats},
    {473, 476, outgoingOnly(0), kWipeSlats},
    {477, 480, incomingOnly(0), kWipeSlats},
    {481, 484, outgoingOnly(0), kWipeSlats},
    {485, 488, incomingOnly(0), kWipeSlats},
    {489, 496, noEndChecks(), "WI_Domino: every column runs at its own random speed; a slow one has not filled its last cell at 0.999"},
    {497, 504, outgoingOnly(0), "WI_Cross: at 0.999 one column (row) of every band still shows the outgoing picture"},
    {505, 512, noEndChecks(), "WI_Cross diagonal: the oblique bands go through the shared quad filler, whose affine steps put pixels "
                              "up to a texel off"},
    {513, 513, noEndChecks(), "WI_Side_SE_Out: an odd width leaves the middle column open at the start, and the sharp edge "
                              "keeps the last column at 0.999"},
    {515, 515, outgoingOnly(0), "WI_Side_SE_In: the sharp edges meet a column short of the middle at 0.999"},
    {517, 517, noEndChecks(), "WI_Diamond: the cell centres show the mean of both pictures on the first frame and the cell corners "
                              "are still outside at 0.999"},
    {518, 521, wipeClockRule(), kWipeClock},
};

RowRule ruleFor(int number, const char** reason) {
    for (const RuleNote& n : kNotes)
        if (number >= n.firstRow && number <= n.lastRow) {
            *reason = n.reason;
            return n.rule;
        }
    *reason = nullptr;
    RowRule r;
    r.endTolerance = 1;
    return r;
}

std::string rowLabel(int index) {
    const TransitionTableRow& r = transitionTable[index];
    std::string label = "Row" + std::to_string(r.number) + "_";
    for (const char* c = r.row.name; *c; ++c) label += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return label;
}

class TransitionSweep : public testing::TestWithParam<int> {};

TEST_P(TransitionSweep, RowBehaves) {
    const TransitionTableRow& row = transitionTable[GetParam()];
    const char* reason = nullptr;
    const RowRule rule = ruleFor(row.number, &reason);
    if (reason) {
        RecordProperty("rule", reason);
        std::printf("row %d has its own rule: %s\n", row.number, reason);
    }
    for (const std::string& problem : sweepRow(SweepFamily::Transition, row.row.entry, rule, SweepOptions{}))
        ADD_FAILURE() << "row " << row.number << " \"" << row.row.name << "\": " << problem;
}

// The engine's frame sizes (a few progress values), and small sizes with a pool
// that has no buffer at all or buffers holding a previous user's small values.
// The end pictures are checked at the small sizes: at the engine's sizes what
// 0.999 leaves (a sector, a sliver of a corner, a far tube) covers many pixels.
TEST_P(TransitionSweep, RowBehavesAtTheEngineSizes) {
    const TransitionTableRow& row = transitionTable[GetParam()];
    const char* reason = nullptr;
    RowRule rule = ruleFor(row.number, &reason);
    rule.endTolerance = rule.outgoingTolerance = rule.incomingTolerance = -1;
    for (const std::string& problem : sweepRow(SweepFamily::Transition, row.row.entry, rule, engineSizeOptions()))
        ADD_FAILURE() << "row " << row.number << " \"" << row.row.name << "\": " << problem;
}

TEST_P(TransitionSweep, RowBehavesWithADryOrUsedPool) {
    const TransitionTableRow& row = transitionTable[GetParam()];
    const char* reason = nullptr;
    const RowRule rule = ruleFor(row.number, &reason);
    for (SweepPool kind : {SweepPool::Dry, SweepPool::SmallLeftovers})
        for (const std::string& problem : sweepRow(SweepFamily::Transition, row.row.entry, rule, poolOptions(kind)))
            ADD_FAILURE() << "row " << row.number << " \"" << row.row.name << "\", "
                          << (kind == SweepPool::Dry ? "no buffer" : "small leftovers") << ": " << problem;
}

INSTANTIATE_TEST_SUITE_P(Table, TransitionSweep, testing::Range(0, static_cast<int>(transitionCount)),
                         [](const testing::TestParamInfo<int>& info) { return rowLabel(info.param); });

// A 3D transition into an animation is drawn after the animation on every frame
// (the runtime's order), and the next frame's animation after it. The camera is
// shared: each must draw as it does alone. Both runs start from the camera the
// process starts with.
void freshProcessState() {
    resetAnimationProcessState();
    std::memset(&cameraState(), 0, sizeof(CameraState));
}

SweepOptions pairOptions() {
    SweepOptions o;
    o.sound = &allSoundScenarios().back();
    o.beforeRun = freshProcessState;
    return o;
}

// The animation rows that touch the camera (found by drawing two frames over a
// camera filled with a marker).
const std::vector<int>& cameraAnimations() {
    static const std::vector<int> rows = [] {
        std::vector<int> out;
        for (int a = 0; a < AnimationTableCount; ++a) {
            SweepOptions o = pairOptions();
            o.progresses = {0.0f, 0.0f};
            o.beforeRun = [] {
                resetAnimationProcessState();
                std::memset(&cameraState(), 0x41, sizeof(CameraState));
            };
            CameraState marker;
            std::memset(&marker, 0x41, sizeof marker);
            sweepFrameSums(SweepFamily::Animation, AnimationTable[a].row.entry, o, 64, 48);
            if (std::memcmp(&marker, &cameraState(), sizeof marker) != 0) out.push_back(a);
        }
        freeParticleLists();
        return out;
    }();
    return rows;
}

// The animation's frames drawn alone, once per row and size.
const std::vector<uint64_t>& animationAloneSums(int row, int w, int h) {
    static std::map<std::tuple<int, int, int>, std::vector<uint64_t>> sums;
    auto [it, added] = sums.try_emplace({row, w, h});
    if (added) it->second = sweepFrameSums(SweepFamily::Animation, AnimationTable[row].row.entry, pairOptions(), w, h);
    return it->second;
}

std::vector<int> threeDRows() {
    std::vector<int> rows;
    for (int t = 0; t < static_cast<int>(transitionCount); ++t)
        if (std::strncmp(transitionTable[t].row.name, "3D", 2) == 0) rows.push_back(t);
    return rows;
}

class ThreeDTransitionWithAnimation : public testing::TestWithParam<int> {
protected:
    void TearDown() override { freeParticleLists(); }
};

// The probe finds the rows that set the camera up on every frame.
TEST(ThreeDTransitionWithAnimation, EverySpectrumShapeAndVoyageRowIsFoundToSetTheCamera) {
    const std::vector<int>& found = cameraAnimations();
    int expected = 0;
    for (int a = 0; a < AnimationTableCount; ++a) {
        // Rows 71 to 106: the 3D spectrum shapes and the voyages.
        if (AnimationTable[a].catalogueRow < 71 || AnimationTable[a].catalogueRow > 106) continue;
        ++expected;
        EXPECT_NE(std::find(found.begin(), found.end(), a), found.end()) << AnimationTable[a].row.name;
    }
    EXPECT_EQ(expected, 36);
}

TEST_P(ThreeDTransitionWithAnimation, BothDrawAsAloneOnEveryFrame) {
    const TransitionTableRow& row = transitionTable[GetParam()];
    for (auto [w, h] : std::vector<std::pair<int, int>>{{64, 48}, {67, 41}}) {
        const SweepOptions o = pairOptions();
        const std::vector<uint64_t> alone = sweepFrameSums(SweepFamily::Transition, row.row.entry, o, w, h);
        for (int a : cameraAnimations()) {
            const EffectEntry animation = AnimationTable[a].row.entry;
            SweepOptions pair = o;
            pair.animationBefore = animation;
            const FramePair drawn = transitionAfterAnimationSums(row.row.entry, pair, w, h);
            const std::vector<uint64_t>& animationAlone = animationAloneSums(a, w, h);
            for (size_t i = 0; i < alone.size(); ++i)
                if (drawn.transition[i] != alone[i]) {
                    ADD_FAILURE() << w << "x" << h << ", after " << AnimationTable[a].row.name << ": frame " << i
                                  << " differs from the transition alone";
                    break;
                }
            EXPECT_EQ(drawn.animation, animationAlone) << w << "x" << h << ", " << AnimationTable[a].row.name
                                                       << " after the transition's frames";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ThreeDTransitionWithAnimation, testing::ValuesIn(threeDRows()),
                         [](const testing::TestParamInfo<int>& info) { return rowLabel(info.param); });

}  // namespace

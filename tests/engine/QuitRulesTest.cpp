// Which input ends a full-screen saver: the engine's filter, then the library's default.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/QuitRules.h"

namespace {

struct Event {
    SaverInput input;
    int32_t dx = 0, dy = 0;      // cursor distance from the start, for moves
};

// Feeds events through both layers; returns the 1-based event that ends the saver, 0 for none.
int endingEvent(const QuitOptions& options, const std::vector<Event>& events) {
    int32_t allowance = kMouseMoveAllowance;
    for (size_t i = 0; i < events.size(); ++i) {
        InputFilter f = filterSaverInput(events[i].input, options, &allowance);
        if (!f.consumed && inputEndsSaver(events[i].input, events[i].dx, events[i].dy))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

std::vector<Event> moves(int n, int32_t dx, int32_t dy) { return std::vector<Event>(n, Event{SaverInput::MouseMove, dx, dy}); }

std::vector<Event> then(std::vector<Event> a, const std::vector<Event>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(QuitRules, OptionsAndTheFirstTenMoves) {
    const QuitOptions none{}, mouse{1, 0, 0}, click{0, 1, 0}, key{0, 0, 1}, all{1, 1, 1};
    const Event left{SaverInput::LeftButton}, right{SaverInput::RightButton}, middle{SaverInput::MiddleButton};
    const Event keyDown{SaverInput::KeyDown}, sysKey{SaverInput::SysKeyDown};
    struct Case { const char* what; QuitOptions options; std::vector<Event> events; int ends; } cases[] = {
        {"ten far moves are swallowed, the eleventh ends", none, moves(12, 50, 50), 11},
        {"a small eleventh move does not end", none, then(moves(10, 50, 0), moves(3, 2, 2)), 0},
        {"five pixels end, four do not", none, then(moves(10, 0, 0), {{SaverInput::MouseMove, 4, 0}, {SaverInput::MouseMove, -3, 2}}), 12},
        {"mouse 1 swallows every move", mouse, moves(40, 300, -300), 0},
        {"mouse 1 still ends on a key", mouse, then(moves(20, 300, 0), {keyDown}), 21},
        {"left button ends", none, {left}, 1},
        {"mouseClick 1 swallows the left button", click, {left, left}, 0},
        {"mouseClick 1: right button ends", click, {left, right}, 2},
        {"mouseClick 1: middle button ends", click, {middle}, 1},
        {"a key ends", none, {keyDown}, 1},
        {"Key 1 swallows keys", key, {keyDown, keyDown}, 0},
        {"Key 1: a system key ends", key, {keyDown, sysKey}, 2},
        {"everything swallowed but right button", all, then(moves(30, 99, 99), {left, keyDown, right}), 33},
        {"moves before a click count down the allowance", none, then(moves(9, 99, 0), {left}), 10},
    };
    for (const Case& c : cases) EXPECT_EQ(endingEvent(c.options, c.events), c.ends) << c.what;
}

TEST(QuitRules, SwallowedMovesReturnOneThenZero) {
    int32_t allowance = 1;
    EXPECT_EQ(filterSaverInput(SaverInput::MouseMove, QuitOptions{1, 0, 0}, &allowance).result, 1);
    EXPECT_EQ(allowance, 0);
    InputFilter f = filterSaverInput(SaverInput::MouseMove, QuitOptions{1, 0, 0}, &allowance);
    EXPECT_TRUE(f.consumed);
    EXPECT_EQ(f.result, 0);
    EXPECT_EQ(allowance, 0) << "never goes below zero nor restarts";
    EXPECT_TRUE(inputEndsSaver(SaverInput::MouseMove, INT32_MIN, INT32_MIN)) << "no overflow in the distance";
}

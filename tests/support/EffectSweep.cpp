#include "tests/support/EffectSweep.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

#include "render/CrtRandom.h"
#include "render/Platform.h"
#include "render/RotatedCopies.h"
#include "tests/support/TestSupport.h"

namespace vt_test {

namespace {

// A scratch pool with the runtime's contract (slots 0, 1, then 3..65; blocks of
// 2,702,336 bytes handed out 237,824 bytes in; per-frame keep marks) that
// poisons every block that was not kept when a frame ends.
class Pool {
public:
    static constexpr int kSlots = 66;
    static constexpr size_t kBlockPixels = 2702336 / 4;
    static constexpr size_t kLeadPixels = 237824 / 4;

    void beginRun(uint32_t poisonSeed, SweepPool kind) {
        poisonSeed_ = poisonSeed;
        kind_ = kind;
        for (int s = 0; s < kSlots; ++s) {
            inUse_[s] = kept_[s] = 0;
            if (blocks_[s]) poison(s);
        }
    }
    void frameStart() { std::memset(kept_, 0, sizeof kept_); }
    void frameEnd() {
        for (int s = 0; s < kSlots; ++s) {
            if (inUse_[s] && !kept_[s] && blocks_[s]) poison(s);
            inUse_[s] = kept_[s];
        }
    }
    Pixel* acquire(int32_t* slot) {
        if (kind_ == SweepPool::Dry) return nullptr;
        for (int s = 0; s < kSlots; ++s) {
            if (s == 2 || inUse_[s]) continue;
            if (!blocks_[s]) {
                blocks_[s] = std::make_unique<Pixel[]>(kBlockPixels);
                poison(s);
            }
            inUse_[s] = 1;
            *slot = s;
            return blocks_[s].get() + kLeadPixels;
        }
        return nullptr;
    }
    int32_t keep(int32_t slot) {
        if (slot >= 0 && slot < kSlots) kept_[slot] = 1;
        return slot;
    }
    int32_t clear(Pixel* buffer) {
        for (int s = 0; s < kSlots; ++s)
            if (blocks_[s] && buffer == blocks_[s].get() + kLeadPixels)
                std::memset(blocks_[s].get(), 0, kBlockPixels * sizeof(Pixel));
        return 0;
    }

private:
    void poison(int s) {
        uint32_t v = 0x5A000000u ^ (poisonSeed_ * 0x9E3779B9u) ^ static_cast<uint32_t>(s);
        Pixel* b = blocks_[s].get();
        if (kind_ == SweepPool::SmallLeftovers) {
            // Values a previous user's labels, counts or indices leave behind.
            for (size_t i = 0; i < kBlockPixels; ++i) b[i] = (v + static_cast<uint32_t>(i / 7)) & 15;
            return;
        }
        for (size_t i = 0; i < kBlockPixels; ++i) b[i] = (v + static_cast<uint32_t>(i) * 2654435761u) & 0x00FFFFFF;
    }

    std::unique_ptr<Pixel[]> blocks_[kSlots];
    int32_t inUse_[kSlots] = {};
    int32_t kept_[kSlots] = {};
    uint32_t poisonSeed_ = 0;
    SweepPool kind_ = SweepPool::Poisoned;
};

Pool& pool() {
    static Pool p;
    return p;
}
Pixel* poolAcquire(int32_t* slot) { return pool().acquire(slot); }
int32_t poolKeep(int32_t slot) { return pool().keep(slot); }
int32_t poolClear(Pixel* buffer) { return pool().clear(buffer); }

struct Snapshot {
    std::vector<Pixel> pixels;   // visible area and margin
};

Snapshot snapshot(const GuardedBuffer& b) {
    Snapshot s;
    for (int y = -kBufferMargin; y < b.height() + kBufferMargin; ++y)
        for (int x = -kBufferMargin; x < b.width() + kBufferMargin; ++x) s.pixels.push_back(b.at(x, y));
    return s;
}

bool sameAs(const GuardedBuffer& b, const Snapshot& s) { return snapshot(b).pixels == s.pixels; }

int maxChannelDiff(const GuardedBuffer& a, const GuardedBuffer& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            Pixel p = a.at(x, y), q = b.at(x, y);
            for (int sh = 0; sh < 24; sh += 8) {
                int d = std::abs(static_cast<int>((p >> sh) & 0xFF) - static_cast<int>((q >> sh) & 0xFF));
                if (d > worst) worst = d;
            }
        }
    return worst;
}

void fillSound(EffectParams& p, const SweepOptions& o, int frame) {
    static const SoundScenario silence = silenceScenario();
    const SoundScenario& s = o.sound ? *o.sound : silence;
    p.level = s.levels.empty() ? 0.0f : static_cast<float>(s.levels[frame % s.levels.size()]);
    p.beat = s.beats.empty() ? 0 : s.beats[frame % s.beats.size()];
    p.levelMode = o.levelMode;
    p.constant16 = 16;
    p.samples = s.samples;
    p.spectrum = s.spectrum;
}

void fillCommon(EffectParams& p, int w, int h, int first, float progress, int duration) {
    p.rect = {0, 0, w, h};
    p.pitch = pitchForWidth(w);
    p.width = w;
    p.height = h;
    p.firstFrame = first;
    p.progress = progress;
    p.duration = duration;
    p.acquireBuffer = poolAcquire;
    p.keepBuffer = poolKeep;
    p.clearBuffer = poolClear;
}

// While set, each timed entry call appends its milliseconds here: the thread's
// processor time where the system keeps it (a busy machine's other work does
// not count), else the wall-clock time.
std::vector<double>* frameLog = nullptr;

double threadMs() {
#if defined(CLOCK_THREAD_CPUTIME_ID) && !defined(_WIN32)
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
#else
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
#endif
}

void timedCall(EffectEntry entry, EffectParams* record, std::chrono::steady_clock::duration* total) {
    if (!total) {
        entry(record);
        return;
    }
    const double cpu0 = frameLog ? threadMs() : 0.0;
    auto t0 = std::chrono::steady_clock::now();
    entry(record);
    *total += std::chrono::steady_clock::now() - t0;
    if (frameLog) frameLog->push_back(threadMs() - cpu0);
}

struct RunResult {
    std::vector<uint64_t> frameSums;
    std::vector<uint64_t> animationSums;   // the animation drawn before a transition, per frame
    std::vector<std::string> problems;
};

// One frame of an animation family as the runtime draws it: the animation effect
// (when the options name one) and then the animation, from the layer drawn last
// into the other one. Returns the layer drawn now.
GuardedBuffer* animationFrame(SweepFamily family, EffectEntry entry, const SweepOptions& o, EffectParams& record,
                              EffectParams& er, GuardedBuffer& canvas, GuardedBuffer& canvas2, GuardedBuffer* last,
                              int frame, std::chrono::steady_clock::duration* entryTime) {
    GuardedBuffer* dst = last == &canvas ? &canvas2 : &canvas;
    const int w = canvas.width(), h = canvas.height(), first = frame == 0 ? 1 : 0;
    fillCommon(er, w, h, first, 0.0f, 0);
    er.source = last->pixels();
    er.destination = dst->pixels();
    fillSound(er, o, frame);
    fillCommon(record, w, h, first, 0.0f, 0);
    record.source = last->pixels();
    record.destination = dst->pixels();
    fillSound(record, o, frame);
    if (family == SweepFamily::AnimationEffect) {
        timedCall(entry, &er, entryTime);
    } else {
        if (o.companionEffect) o.companionEffect(&er);
        timedCall(entry, &record, entryTime);
    }
    return dst;
}

// One run of a row at one size: the frame sequence as the engine drives it.
// With checks off the run only times the entry calls into *entryTime.
RunResult runOnce(SweepFamily family, EffectEntry entry, const RowRule& rule, const SweepOptions& o,
                  int w, int h, uint32_t poisonSeed, bool checks = true,
                  std::chrono::steady_clock::duration* entryTime = nullptr) {
    RunResult r;
    auto problem = [&](const std::string& what) {
        if (r.problems.size() < 8) r.problems.push_back(what);
    };
    GuardedBuffer outgoing(w, h), incoming(w, h), canvas(w, h), canvas2(w, h);
    outgoing.fillPattern(101);
    incoming.fillPattern(202);
    canvas.fillPattern(303);
    canvas2.fillPattern(404);
    Snapshot outSnap, inSnap;
    if (checks) {
        outSnap = snapshot(outgoing);
        inSnap = snapshot(incoming);
    }

    static EffectParams record, effectRecord;   // static like the runtime's records
    std::memset(&record, 0, sizeof record);
    std::memset(&effectRecord, 0, sizeof effectRecord);
    pool().beginRun(poisonSeed, o.pool);
    // As the engine at start-up: the quad warp borrows its intermediate frame
    // from the pool (and falls back to the exact mapping when the pool is dry).
    setQuadWarpScratchSource(poolAcquire);
    if (o.beforeRun) o.beforeRun();
    crtSrand(o.seed);
    // Transition family: the animation of the same frames, on records and layers of its own.
    static EffectParams animationRecord, animationEffectRecord;
    std::memset(&animationRecord, 0, sizeof animationRecord);
    std::memset(&animationEffectRecord, 0, sizeof animationEffectRecord);
    std::unique_ptr<GuardedBuffer> animationCanvas, animationCanvas2;
    if (o.animationBefore) {
        animationCanvas = std::make_unique<GuardedBuffer>(w, h);
        animationCanvas2 = std::make_unique<GuardedBuffer>(w, h);
        animationCanvas->fillPattern(303);
        animationCanvas2->fillPattern(404);
    }
    GuardedBuffer* animationLast = animationCanvas2.get();
    uint32_t animationRand = crtRandState();

    const bool animation = family == SweepFamily::Animation || family == SweepFamily::AnimationEffect;
    GuardedBuffer* last = &canvas2;   // animation: the canvas drawn last
    for (size_t i = 0; i < o.progresses.size(); ++i) {
        int first = i == 0 ? 1 : 0;
        float progress = o.progresses[i];
        pool().frameStart();
        GuardedBuffer* dst = &canvas;
        Snapshot srcSnap;
        if (family == SweepFamily::Transition) {
            if (o.animationBefore) {
                // The animation keeps a random sequence of its own, so that each side
                // draws as it does alone unless shared drawing state passes between them.
                const uint32_t transitionRand = crtRandState();
                crtSetRandState(animationRand);
                animationLast = animationFrame(SweepFamily::Animation, o.animationBefore, o, animationRecord,
                                               animationEffectRecord, *animationCanvas, *animationCanvas2, animationLast,
                                               static_cast<int>(i), nullptr);
                animationRand = crtRandState();
                crtSetRandState(transitionRand);
                r.animationSums.push_back(animationLast->checksum());
            }
            fillCommon(record, w, h, first, progress, o.durationMs);
            record.source = outgoing.pixels();
            record.source2 = incoming.pixels();
            record.destination = canvas.pixels();
            record.zeroWord = 0;
            timedCall(entry, &record, entryTime);
        } else if (family == SweepFamily::Title) {
            TitleFields& t = record.state.title;
            if (first) {   // a new title: the runtime drops the last image
                platformDeleteImage(t.titleBitmap);
                t.titleBitmap = nullptr;
                t.titlePixels = nullptr;
            }
            static TextFont titleFont;
            fillCommon(record, w, h, first, progress < 0.99f ? progress : 0.99f, o.durationMs / 2);
            record.destination = canvas.pixels();
            record.zeroWord = 0;
            fillSound(record, o, static_cast<int>(i));
            t.titlePosition = o.titlePosition << 24;
            t.titleFont = &titleFont;
            t.titleFormat = 21;
            t.titleColor = o.titleColor;
            t.titleFontSize = !first && o.titleFontSizeLater ? o.titleFontSizeLater : o.titleFontSize;
            t.titleText = o.titleText;
            t.titleDC = nullptr;
            timedCall(entry, &record, entryTime);
        } else if (family == SweepFamily::ImageEffect) {
            fillCommon(record, w, h, first, progress, o.durationMs / 2);
            record.source = outgoing.pixels();
            record.destination = canvas.pixels();
            record.zeroWord = 0;
            fillSound(record, o, static_cast<int>(i));
            timedCall(entry, &record, entryTime);
        } else {
            if (checks) srcSnap = snapshot(*last);
            dst = animationFrame(family, entry, o, record, effectRecord, canvas, canvas2, last,
                                 static_cast<int>(i), entryTime);
            if (first && o.afterFirstFrame) {
                static EffectParams after;
                std::memset(&after, 0, sizeof after);
                GuardedBuffer afterCanvas(w, h);
                fillCommon(after, w, h, 1, 0.0f, o.durationMs);
                after.source = outgoing.pixels();
                after.source2 = incoming.pixels();
                after.destination = afterCanvas.pixels();
                // Only shared drawing state (the camera) may pass between them: the
                // random sequence is put back, so the comparison is with the row alone.
                const uint32_t randState = crtRandState();
                o.afterFirstFrame(&after);
                crtSetRandState(randState);
            }
            if (checks && !sameAs(*last, srcSnap)) problem("frame " + std::to_string(i) + ": wrote into the previous canvas");
            last = dst;
        }
        pool().frameEnd();
        if (!checks) continue;

        r.frameSums.push_back(dst->checksum());
        if (rule.topByteZero) {
            bool bad = false;
            for (int y = 0; y < h && !bad; ++y)
                for (int x = 0; x < w && !bad; ++x)
                    if (dst->at(x, y) & 0xFF000000u) bad = true;
            if (bad) problem("frame " + std::to_string(i) + ": canvas pixel with a non-zero top byte");
        }
        if (!animation && !(rule.evenSizeEnds && ((w | h) & 1))) {
            int tol = rule.endTolerance >= 0 ? rule.endTolerance : rule.outgoingTolerance;
            if (i == 0 && tol >= 0 && progress == 0.0f && maxChannelDiff(*dst, outgoing) > tol)
                problem("progress 0 does not show the outgoing picture (diff " +
                        std::to_string(maxChannelDiff(*dst, outgoing)) + ")");
            int endTol = rule.endTolerance >= 0 ? rule.endTolerance : rule.incomingTolerance;
            if (i + 1 == o.progresses.size() && endTol >= 0 && maxChannelDiff(*dst, incoming) > endTol)
                problem("the last frame does not show the incoming picture (diff " +
                        std::to_string(maxChannelDiff(*dst, incoming)) + ")");
        }
    }
    if (family == SweepFamily::Title) {
        platformDeleteImage(record.state.title.titleBitmap);
        record.state.title.titleBitmap = nullptr;
    }
    setQuadWarpScratchSource(nullptr);
    if (!checks) return r;
    if (!sameAs(outgoing, outSnap)) problem("changed the source picture");
    if (!sameAs(incoming, inSnap)) problem("changed the second source picture");
    for (GuardedBuffer* b : {&outgoing, &incoming, &canvas, &canvas2, animationCanvas.get(), animationCanvas2.get()})
        if (b && !b->guardIntact()) problem("wrote outside a buffer and its 8-pixel margin");
    return r;
}

SoundScenario makeScenario(const char* name) {
    SoundScenario s{};
    s.name = name;
    return s;
}

}  // namespace

SoundScenario silenceScenario() {
    SoundScenario s = makeScenario("silence");
    s.levels = {0};
    s.beats = {0};
    return s;
}

SoundScenario steadyToneScenario() {
    SoundScenario s = makeScenario("steady tone");
    for (int i = 0; i < 256; ++i) s.samples[i] = static_cast<int16_t>(12000 * std::sin(i * 2 * 3.14159265358979323846 * 8 / 256.0));
    s.spectrum[8] = 3000;
    s.spectrum[7] = s.spectrum[9] = 600;
    s.levels = {96};
    s.beats = {0};
    return s;
}

SoundScenario loudestScenario() {
    SoundScenario s{};
    s.name = "loudest";
    for (int i = 0; i < 256; ++i) s.samples[i] = (i / 4) % 2 ? 32767 : -32768;
    for (int i = 0; i < 128; ++i) s.spectrum[i] = 362;
    s.levels = {255};
    s.beats = {1};
    return s;
}

SoundScenario loudBeatsScenario() {
    SoundScenario s = makeScenario("loud music with beats");
    uint32_t v = 7;
    for (int i = 0; i < 256; ++i) {
        v = v * 1103515245u + 12345u;
        s.samples[i] = static_cast<int16_t>((i % 64 < 8 ? 32767 : 0) - 16384 + static_cast<int>((v >> 16) % 16384));
    }
    for (int i = 0; i < 128; ++i) s.spectrum[i] = static_cast<int16_t>(32767 / (1 + i / 4));
    s.levels = {255, 240, 200, 250, 255, 180, 255, 230};
    s.beats = {1, 0, 0, 1, 0, 1, 0, 0};
    return s;
}

const std::vector<SoundScenario>& allSoundScenarios() {
    static const std::vector<SoundScenario> all{silenceScenario(), steadyToneScenario(), loudBeatsScenario()};
    return all;
}

std::vector<std::string> sweepRow(SweepFamily family, EffectEntry entry, const RowRule& givenRule,
                                  const SweepOptions& options) {
    RowRule rule = givenRule;
    if (options.pool == SweepPool::Dry)   // a worker may skip its frames without a buffer
        rule.endTolerance = rule.outgoingTolerance = rule.incomingTolerance = -1;
    std::vector<std::string> problems;
    for (auto [w, h] : options.sizes) {
        std::string size = std::to_string(w) + "x" + std::to_string(h) + ": ";
        RunResult a = runOnce(family, entry, rule, options, w, h, 1);
        for (auto& p : a.problems) problems.push_back(size + p);
        RunResult b = runOnce(family, entry, rule, options, w, h, 2);
        if (rule.deterministic && a.frameSums != b.frameSums)
            problems.push_back(size + "output differs between two runs with the same seed "
                                      "(random state or a scratch buffer used without keeping it)");
    }
    return problems;
}

std::vector<uint64_t> sweepFrameSums(SweepFamily family, EffectEntry entry, const SweepOptions& options, int width,
                                     int height) {
    RowRule rule;
    rule.topByteZero = false;
    return runOnce(family, entry, rule, options, width, height, 1).frameSums;
}

FramePair transitionAfterAnimationSums(EffectEntry transition, const SweepOptions& options, int width, int height) {
    RowRule rule;
    rule.topByteZero = false;
    RunResult r = runOnce(SweepFamily::Transition, transition, rule, options, width, height, 1);
    return FramePair{r.frameSums, r.animationSums};
}

SweepOptions engineSizeOptions() {
    SweepOptions o;
    o.sizes = {{640, 480}, {800, 600}};
    o.progresses = {0.0f, 0.3f, 0.999f};
    return o;
}

SweepOptions poolOptions(SweepPool kind) {
    SweepOptions o;
    o.sizes = {{67, 41}, {151, 113}};
    o.progresses = {0.0f, 0.25f, 0.5f, 0.999f};
    o.pool = kind;
    return o;
}

double timeRowPerFrame(SweepFamily family, EffectEntry entry, int width, int height, int frames,
                       const SoundScenario* sound) {
    SweepOptions o;
    o.sound = sound;
    return timeRowPerFrame(family, entry, width, height, frames, o);
}

double timeRowPerFrame(SweepFamily family, EffectEntry entry, int width, int height, int frames,
                       const SweepOptions& options) {
    SweepOptions o = options;
    o.sizes = {{width, height}};
    o.progresses.clear();
    for (int i = 0; i < frames; ++i) o.progresses.push_back(0.999f * i / std::max(1, frames - 1));
    RowRule rule;
    rule.topByteZero = false;
    std::chrono::steady_clock::duration entryTime{};
    runOnce(family, entry, rule, o, width, height, 1, false, &entryTime);
    return std::chrono::duration<double, std::milli>(entryTime).count() / frames;
}

std::vector<double> rowFrameTimes(SweepFamily family, EffectEntry entry, int width, int height, int frames,
                                  const SweepOptions& options) {
    SweepOptions o = options;
    o.progresses.clear();
    for (int i = 0; i < frames; ++i) o.progresses.push_back(0.999f * i / std::max(1, frames - 1));
    RowRule rule;
    rule.topByteZero = false;
    std::vector<double> times;
    std::chrono::steady_clock::duration entryTime{};
    frameLog = &times;
    runOnce(family, entry, rule, o, width, height, 1, false, &entryTime);
    frameLog = nullptr;
    return times;
}

std::vector<uint64_t> rowFrameChecksums(SweepFamily family, EffectEntry entry, const SweepOptions& options) {
    std::vector<uint64_t> sums;
    RowRule rule;
    rule.topByteZero = false;
    for (auto [w, h] : options.sizes) {
        RunResult r = runOnce(family, entry, rule, options, w, h, 1);
        sums.insert(sums.end(), r.frameSums.begin(), r.frameSums.end());
    }
    return sums;
}

}  // namespace vt_test

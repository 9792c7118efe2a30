// The particle lists: unlinking at either end, in the middle and of the only
// node, a walk whose update routine frees nodes, freeing empty and full lists,
// and the start-up reset and shut-down free. Run under AddressSanitizer and
// LeakSanitizer, a stale link or a lost node fails here.
#include <gtest/gtest.h>

#include <vector>

#include "Animation/ParticleList.h"

namespace {

struct ListTest : ::testing::Test {
    ParticleList list{};
    std::vector<ParticleNode*> nodes;

    ~ListTest() override { freeParticleList(list); }

    void build(int n) {
        for (int i = 0; i < n; ++i) {
            ParticleNode* node = newParticle();
            ASSERT_NE(node, nullptr);
            node->age = i;
            nodes.push_back(appendParticle(list, node));
        }
    }
    // The ids head to tail, after checking every link both ways.
    std::vector<int> ids() const {
        std::vector<int> out;
        EXPECT_EQ(list.head == nullptr, list.tail == nullptr);
        const ParticleNode* previous = nullptr;
        for (const ParticleNode* n = list.head; n; n = n->next) {
            EXPECT_EQ(n->previous, previous);
            out.push_back(n->age);
            previous = n;
        }
        EXPECT_EQ(list.tail, previous);
        return out;
    }
};

TEST_F(ListTest, UnlinkKeepsBothEndsRight) {
    struct Case {
        int size, unlink;
        std::vector<int> left;
    } cases[] = {
        {1, 0, {}},         // the only node: head and tail null
        {2, 0, {1}},        // the head of two: the other is head and tail
        {2, 1, {0}},
        {3, 1, {0, 2}},
        {4, 3, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        freeParticleList(list);
        nodes.clear();
        const int32_t before = liveParticleCount();
        build(c.size);
        unlinkAndFreeParticle(list, nodes[c.unlink]);
        EXPECT_EQ(ids(), c.left) << c.size << " nodes, unlinking " << c.unlink;
        EXPECT_EQ(liveParticleCount(), before + c.size - 1);
        // The list still takes new nodes at its tail.
        appendParticle(list, newParticle())->age = 9;
        std::vector<int> expected = c.left;
        expected.push_back(9);
        EXPECT_EQ(ids(), expected);
    }
}

ParticleList* g_walked = nullptr;
std::vector<int> g_visits;

// Frees every node whose id is in the kill mask.
int g_killMask = 0;
void freeSomeNodes(EffectParams*, ParticleNode* node) {
    g_visits.push_back(node->age);
    if (g_killMask & (1 << node->age)) unlinkAndFreeParticle(*g_walked, node);
}

TEST_F(ListTest, UpdateWalkSurvivesNodesFreeingThemselves) {
    struct Case {
        int killMask;
        std::vector<int> left;
    } cases[] = {
        {0b00100, {0, 1, 3, 4}},   // one in the middle
        {0b10001, {1, 2, 3}},      // head and tail
        {0b01010, {0, 2, 4}},
        {0b11111, {}},             // every node
    };
    for (const Case& c : cases) {
        freeParticleList(list);
        nodes.clear();
        build(5);
        for (ParticleNode* n : nodes) n->update = freeSomeNodes;
        nodes[2]->update = c.killMask & 4 ? freeSomeNodes : nullptr;   // a null routine is skipped
        g_walked = &list;
        g_killMask = c.killMask;
        g_visits.clear();
        updateParticles(list, nullptr);
        std::vector<int> visited = {0, 1, 2, 3, 4};
        if (!(c.killMask & 4)) visited.erase(visited.begin() + 2);
        EXPECT_EQ(g_visits, visited) << c.killMask;
        EXPECT_EQ(ids(), c.left) << c.killMask;
    }
}

TEST_F(ListTest, FreeAllEmptiesAnyList) {
    freeParticleList(list);   // empty: only the two words
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.tail, nullptr);
    const int32_t before = liveParticleCount();
    build(6);
    freeParticleList(list);
    EXPECT_TRUE(ids().empty());
    EXPECT_EQ(liveParticleCount(), before);
}

TEST(ParticleLists, ShutDownFreesEveryFamilysNodes) {
    for (ParticleList* l : {&BubbleParticles, &FireWorkParticles, &SpaceParticles, &WaterJetParticles,
                            &SpareParticles[1]})
        for (int i = 0; i < 3; ++i) appendParticle(*l, newParticle());
    freeParticleLists();
    for (ParticleList* l : {&BubbleParticles, &FireWorkParticles, &SpaceParticles, &WaterJetParticles,
                            &SpareParticles[0], &SpareParticles[1]}) {
        EXPECT_EQ(l->head, nullptr);
        EXPECT_EQ(l->tail, nullptr);
    }
    EXPECT_EQ(liveParticleCount(), 0);
}

TEST(ParticleLists, ResetEmptiesTheListsAndDrawsTheStarSprite) {
    appendParticle(SpaceParticles, newParticle());
    resetParticleLists();
    EXPECT_EQ(SpaceParticles.head, nullptr);
    EXPECT_EQ(liveParticleCount(), 0);
    auto at = [](int x, int y) { return SpaceStarSprite[y * kSpaceStarSize + x]; };
    // A glow of the star colour: brightest in the middle, fading out, symmetric.
    const Pixel centre = at(16, 16);
    EXPECT_NE(centre, 0u);
    EXPECT_GE((centre >> 16) & 0xFF, (centre >> 8) & 0xFF);   // 0x2f0f08: red over green over blue
    EXPECT_GE((centre >> 8) & 0xFF, centre & 0xFF);
    EXPECT_EQ(at(0, 0), 0u);
    EXPECT_EQ(at(16 - 5, 16), at(16 + 5, 16));
    EXPECT_EQ(at(16, 16 - 5), at(16, 16 + 5));
    for (Pixel p : SpaceStarSprite) ASSERT_EQ(p & 0xFF000000u, 0u);
    // Additive drawing starts from black: a second reset gives the same sprite.
    std::vector<Pixel> first(std::begin(SpaceStarSprite), std::end(SpaceStarSprite));
    resetParticleLists();
    EXPECT_EQ(std::vector<Pixel>(std::begin(SpaceStarSprite), std::end(SpaceStarSprite)), first);
}

}  // namespace

#include "Animation/ParticleList.h"

#include <cstring>
#include <new>

#include "render/Discs.h"

ParticleList BubbleParticles;
ParticleList FireWorkParticles;
ParticleList SpaceParticles;
ParticleList WaterJetParticles;
ParticleList SpareParticles[2];

Pixel SpaceStarSprite[kSpaceStarSize * kSpaceStarSize];

namespace {

int32_t g_liveNodes = 0;

ParticleList* const kAllLists[] = {&SpareParticles[0], &SpareParticles[1], &BubbleParticles,
                                   &FireWorkParticles, &SpaceParticles,    &WaterJetParticles};

}  // namespace

ParticleNode* newParticle() {
    ParticleNode* node = new (std::nothrow) ParticleNode{};
    if (node) ++g_liveNodes;
    return node;
}

ParticleNode* appendParticle(ParticleList& list, ParticleNode* node) {
    node->next = nullptr;
    node->previous = list.tail;
    if (list.tail)
        list.tail->next = node;
    else
        list.head = node;
    list.tail = node;
    return node;
}

void unlinkAndFreeParticle(ParticleList& list, ParticleNode* node) {
    // Each end is mended on its own, so the only node leaves both words null.
    if (node->previous)
        node->previous->next = node->next;
    else
        list.head = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        list.tail = node->previous;
    delete node;
    --g_liveNodes;
}

void freeParticleList(ParticleList& list) {
    for (ParticleNode* n = list.head; n;) {
        ParticleNode* next = n->next;
        delete n;
        --g_liveNodes;
        n = next;
    }
    list.head = list.tail = nullptr;
}

void updateParticles(ParticleList& list, EffectParams* record) {
    for (ParticleNode* n = list.head; n;) {
        ParticleNode* next = n->next;
        if (n->update) n->update(record, n);
        n = next;
    }
}

int32_t liveParticleCount() { return g_liveNodes; }

void resetParticleLists() {
    // At start-up the lists are empty; a second start (the preview's) gives back
    // what an earlier run left instead of dropping it.
    for (ParticleList* list : kAllLists) freeParticleList(*list);
    // The glow is additive: start from black so every reset draws the same star.
    std::memset(SpaceStarSprite, 0, sizeof SpaceStarSprite);
    const Rect clip{0, 0, kSpaceStarSize, kSpaceStarSize};
    drawGlowDiscClipped(SpaceStarSprite, kSpaceStarSize, clip, 16, 16, 16, 0x2f0f08, 64);
}

void freeParticleLists() {
    for (ParticleList* list : kAllLists) freeParticleList(*list);
}

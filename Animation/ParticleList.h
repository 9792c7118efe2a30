// The particle lists of the particle animations (bubbles, fireworks, star field,
// water jet): doubly linked lists of heap nodes, one list per family, appended at
// the tail and walked from the head. A family frees its whole list on its first
// frame; nothing else frees a list while the program runs, so a family's nodes
// stay until it runs again. freeParticleLists gives everything back at shut-down.
//
// Invariants: head and tail are both null or both set; the head's previous and
// the tail's next link are null; a node is in exactly one list.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

struct ParticleNode;

// Called once a frame for every node; it may unlink and free the node it is given.
using ParticleUpdateFn = void (*)(EffectParams* record, ParticleNode* node);

// One particle. Coordinates are fixed point; each family gives the unit.
struct ParticleNode {
    ParticleNode* next;
    ParticleNode* previous;
    int32_t colour;              // 0x00RRGGBB
    int32_t unused3;
    int32_t x;
    int32_t y;
    int32_t z;                   // 3D fireworks
    int32_t velocityX;
    int32_t velocityY;
    int32_t velocityZ;
    union {
        int32_t restX;           // fireworks: the launch point
        int32_t radius;          // bubbles: radius in pixels
    };
    int32_t restY;
    int32_t restZ;
    int32_t unused13[7];
    int32_t age;                 // frames
    int32_t lifetime;            // frames
    ParticleUpdateFn update;     // null: skipped by the update walk
};

struct ParticleList {
    ParticleNode* head;
    ParticleNode* tail;
};

// The lists of the four families, and two more that only the start-up reset touches.
extern ParticleList BubbleParticles;
extern ParticleList FireWorkParticles;   // 2D and 3D fireworks share it
extern ParticleList SpaceParticles;
extern ParticleList WaterJetParticles;
extern ParticleList SpareParticles[2];

// The star sprite of the star field: 32 x 32 pixels, pitch 32, drawn by resetParticleLists.
constexpr int32_t kSpaceStarSize = 32;
extern Pixel SpaceStarSprite[kSpaceStarSize * kSpaceStarSize];

// A zeroed node from the heap, or null when there is no memory (the caller then
// skips the particle).
ParticleNode* newParticle();
// Links the node after the tail; returns it.
ParticleNode* appendParticle(ParticleList& list, ParticleNode* node);
// Unlinks the node (which must be in the list) and frees it.
void unlinkAndFreeParticle(ParticleList& list, ParticleNode* node);
// Frees every node; the list is empty afterwards.
void freeParticleList(ParticleList& list);
// Calls every node's update routine, head to tail; the next link is read before
// the call, so the routine may free its node.
void updateParticles(ParticleList& list, EffectParams* record);
// Calls draw(node) for every node, head to tail.
template <class Draw>
void drawParticles(const ParticleList& list, Draw&& draw) {
    for (const ParticleNode* n = list.head; n; n = n->next) draw(*n);
}
// Nodes alive in all lists together (tests, and the shut-down check).
int32_t liveParticleCount();

// Start-up: every list empty, the star sprite drawn. Called once, as the last
// step of the engine's start-up.
void resetParticleLists();
// Shut-down: frees the nodes of every list. The runtime calls it when its window
// is destroyed.
void freeParticleLists();

// The record words the particle families share besides the frame counter
// (record->frameCounter): the colour phase, which no family resets.
inline int32_t& particleColourPhase(EffectParams* record) { return record->state.words[0]; }

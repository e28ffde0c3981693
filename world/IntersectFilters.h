#pragma once
// The filters of segment queries: each says whether a candidate object may be hit, from its kind,
// its flag words, its class word (flags3) and a few marks. Every filter refuses a null candidate;
// "excluded" below is the player's own machine (the segment intersection's excluded object) and
// "the argument" is the query's filter object. The default filter, IntersectFilterAll, is the
// segment query's own.

class EObjectSlot;

// Not excluded; class not 128; no firing action block.
bool IntersectFilterNotClass128(EObjectSlot* candidate, EObjectSlot* argument);
// Not excluded; the argument itself.
bool IntersectFilterOnlyTarget(EObjectSlot* candidate, EObjectSlot* argument);
// Neither excluded nor the argument; a mesh or skinned mesh; no firing action block; not excluded
// from the visibility pass; flags bit 0x2000000 clear; class without bits 0x8 and 0x2000.
bool IntersectFilterSolidMeshes(EObjectSlot* candidate, EObjectSlot* argument);
// Neither excluded nor the argument; not a skinned mesh; class not 8; no firing action block.
bool IntersectFilterNotSkinMeshNotClass8(EObjectSlot* candidate, EObjectSlot* argument);
// Not the argument; no firing action block.
bool IntersectFilterNotIgnoredAlive(EObjectSlot* candidate, EObjectSlot* argument);
// Not the argument; no action block, or one that neither fires nor fires on touch.
bool IntersectFilterNotIgnoredActive(EObjectSlot* candidate, EObjectSlot* argument);
// Neither excluded nor the argument; a mesh or skinned mesh; no firing action block.
bool IntersectFilterMeshOrSkinMeshAlive(EObjectSlot* candidate, EObjectSlot* argument);
// Neither excluded nor the argument; a mesh; class not 2 or 32 and without bit 0x8; no firing
// action block.
bool IntersectFilterStaticMeshes(EObjectSlot* candidate, EObjectSlot* argument);
// Not the argument; no truck; flags bit 0x4 (a static mesh of the level).
bool IntersectFilterFlagged(EObjectSlot* candidate, EObjectSlot* argument);
// The argument itself.
bool IntersectFilterOnlyTargetAny(EObjectSlot* candidate, EObjectSlot* argument);
// Not the argument; no vehicle mark; class neither 16384 nor 8192.
bool IntersectFilterNotClass8192Or16384(EObjectSlot* candidate, EObjectSlot* argument);
// Neither of g_RayFilter's excluded objects; not of a class its switches skip (4; 2 and 32; 16);
// no firing action block; not dead. The argument is not read.
bool IntersectFilterConfigurable(EObjectSlot* candidate, EObjectSlot* argument);

#pragma once
// Filters of segment queries that read the candidate object: each says whether it is tested.
// The default filter, IntersectFilterAll, is the segment query's own.

class EObjectSlot;

// Accepts any object but the excluded one of the segment intersection and objects of class 128.
bool IntersectFilterNotClass128(EObjectSlot* candidate, EObjectSlot* argument);

// Accepts the static level (flag 0x4) other than the query's own object, never a machine: the
// ground the machines stand on.
bool IntersectFilterFlagged(EObjectSlot* candidate, EObjectSlot* argument);

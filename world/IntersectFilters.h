#pragma once
// Filters of segment queries that read the candidate object: each says whether it is tested.
// The default filter, IntersectFilterAll, is the segment query's own.

class EObjectSlot;

// Accepts any object but the excluded one of the segment intersection and objects of class 128.
bool IntersectFilterNotClass128(EObjectSlot* candidate, EObjectSlot* argument);

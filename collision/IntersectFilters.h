#pragma once
// Filters of segment queries: each says whether a candidate object is tested.

class EObjectSlot;

// The default filter. Queries recognise it by identity and test every object without calling it;
// called directly it accepts nothing.
bool IntersectFilterAll(EObjectSlot* candidate, EObjectSlot* argument);

// Accepts any object but the excluded one of the segment intersection and objects of class 128.
bool IntersectFilterNotClass128(EObjectSlot* candidate, EObjectSlot* argument);

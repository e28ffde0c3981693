#pragma once
// The action-script lines of a world file: the lines that fill an object's action, death and
// light-control blocks, its effect and its path movement. Each line reads the object's block (or
// the block's defaults), changes the fields its keyword names and writes the block back; the
// action, death and light-control blocks exist only while their on switch is set, so a line of
// one of them that stands before its switch line is lost.
class EObjectSlot;
class WorldLine;

class ActionScriptLines {
public:
    // Applies the line to the object when its keyword belongs to these families and the object's
    // kind reads it where it stands (inBlock: inside the object's block; the effect and path
    // lines apply anywhere after the object's header). False for any other keyword.
    static bool Apply(EObjectSlot* object, bool inBlock, const WorldLine& line);
};

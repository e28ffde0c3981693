#pragma once
// A machine's paint skin: the models "tractor001_nocenter" .. "tractor023_nocenter" carry the base
// texture "tractorNNN.tga", and skins 1..5 swap it for "tractorNNNa.tga" .. "tractorNNNe.tga".
#include <cstddef>

class CMenu;
struct EObjectSlot;

constexpr int kSkinCount = 6;

// The texture names of a skin on a model: false when the model is none of the skinned tractors.
// The skin is taken as given (0 for the base texture itself).
bool SkinTextureNames(const char* modelName, int skin, char* baseName, char* skinName, size_t size);

// Swaps the object's base texture for the skin's; a skin outside 0..5 becomes 0. Returns the skin
// applied, 0 for a model that has no skins.
int SetSkin(CMenu* menu, EObjectSlot* object, int skin, int ignored);

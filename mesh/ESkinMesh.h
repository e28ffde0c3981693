#pragma once
// The skinned mesh of an engine object.

class EObjectSlot;

class ESkinMesh {
public:
    EObjectSlot* m_hObject = nullptr;
};

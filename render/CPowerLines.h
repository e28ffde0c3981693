#pragma once
// Power lines strung between poles, read from "scripts\slupy\" with each world.
class CPowerLines {
public:
    void OnStartWorld();
    void Update();
    void Release();
};

extern CPowerLines g_PowerLines;

#pragma once
// The Bezier paths of the world, read from its path file: chains of cubic segments, each node
// holding the segment from its position to its successor's, sampled into 200 points. Paths are
// named by their first node. The manager also moves the objects that follow paths.
#include <cstdint>
#include <string_view>

#include "core/DV.h"

class EObjectSlot;

struct BezierNode {
    static constexpr int kNameSize = 112;
    static constexpr int kTextSize = 128;
    static constexpr int kSamples = 200;

    char m_szName[kNameSize] = {};
    // The segment runs from the position (P0) through the two shapes (P1, P2) to the successor's
    // position (P3).
    DV m_vPosition;
    // Degrees: pitch, yaw, roll.
    DV m_vFixedRotation;
    DV m_vInterpolationRotation;
    DV m_vShape1;
    DV m_vShape2;
    // Value 0 is the speed of moving objects (units per second), value 1 their roll in degrees.
    float m_fValues[5] = {};
    uint8_t m_bDontFollow = 0;
    uint8_t m_bEmitBomb = 0;
    // What a moving object's arrival here does: a level variable set and one cleared, an object
    // whose actions run.
    char m_szGameAISet[kTextSize] = {};
    char m_szGameAIUnset[kTextSize] = {};
    char m_szGiveActionToMesh[kTextSize] = {};
    uint8_t m_bBlocker = 0;
    uint8_t m_bDontRender = 0;
    uint8_t m_bRoadBeginning = 0;
    double m_dLength = 0;
    // 200 with a successor, 2 (both the position) for the last node of a path.
    int32_t m_iSampleCount = 0;
    DV m_vSamples[kSamples + 1];
    uint8_t m_bPauseInNode = 0;
    double m_dPauseTime = 0;
    // The last sampled step of the predecessor's segment.
    DV m_vIncomingDirection;
    uint32_t m_uColour = 0xFF00EAFE;
    BezierNode* m_pNextInPath = nullptr;
    BezierNode* m_pNextInList = nullptr;
    uint8_t m_bVisited = 0;
    int32_t m_iNr = 0;
    int32_t m_iNextInPathNr = 0;
};

class BezierMgr {
public:
    BezierMgr() = default;
    virtual ~BezierMgr();
    BezierMgr(const BezierMgr&) = delete;
    BezierMgr& operator=(const BezierMgr&) = delete;

    // Reads the path file, links and samples its nodes and starts the objects that move from the
    // start; false when the file cannot be read (the world goes on without paths).
    bool LoadPaths(const char* fileName);
    // The nodes of a path file held in memory, linked and sampled; nobody is started.
    void ReadPaths(std::string_view text);
    // The first node of that name (case-insensitive), which is the one read last; null for an
    // empty name or none.
    BezierNode* FindNode(const char* name) const;
    BezierNode* FindNodeByNr(int32_t nr) const;
    // 200 samples of the node's segment and its length; the successor's incoming direction.
    void ComputeNodeLength(BezierNode* node);
    // The point and the unit direction of travel at the distance along the path that starts at
    // the named node; either output may be null. An unknown name leaves both unchanged.
    void EvaluatePoint(const char* name, double distance, DV* outPoint, DV* outDirection);
    // The sum of the node lengths from the named node to the end of its path (a closed path
    // counted once); 0 for an unknown name.
    double GetPathLength(const char* name);
    double GetPathLength(BezierNode* start);
    // The point of the path nearest to the position, and its distance along the path.
    void FindNearestPointOnPath(const char* name, const DV& position, DV* outPoint, double* outDistance);

    // Moves every object whose path state is active by the time step.
    void UpdateAll(float dt);
    // Advances one object's path state by dt (0 places it on the path).
    void MoveObject(EObjectSlot* object, double dt);
    // The object arrives at the node: the node's speed, laps, waits, pause, blocker and triggers,
    // and the object put at the node's position.
    void PlaceObjectAtNode(EObjectSlot* object, BezierNode* node);
    // Frees every node; at world end.
    void Release();

    BezierNode* m_pHead = nullptr;

private:
    void LinkNodes();
    void ClearVisited();
    void ArriveAtNode(EObjectSlot* object, BezierNode* node);
    void StartLoadedObjects();
    // The number of nodes freed.
    int FreeNodes();
    // Sample steps of all nodes: no object travels more of them in one frame.
    uint32_t m_uTotalSteps = 0;
};

extern BezierMgr g_BezierMgr;

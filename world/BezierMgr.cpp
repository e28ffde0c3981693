#include "world/BezierMgr.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <vector>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"
#include "render/EFXMgr.h"
#include "world/EEngine.h"
#include "world/GameAI.h"
#include "world/TextLines.h"
#include "world/WorldLine.h"

BezierMgr g_BezierMgr;

namespace {

using pmath::Length;

constexpr size_t kLineLimit = 256;
constexpr const char* kNodeTag = "BezierNode";
constexpr float kDegrees = std::numbers::pi_v<float> / 180.0f;

DV Lerp(const DV& a, const DV& b, float f) { return a + (b - a) * f; }

// The fraction of a step or a node travelled; a step or node of no length is at its start, so a
// zero length never divides.
double Fraction(double travelled, double length) { return length > 0 ? travelled / length : 0.0; }

// The rest of the line; a text longer than the field is cut to it, and the console says so.
template <size_t N>
void CopyRest(char (&out)[N], const char* line) {
    const char* value = GetKeywordValue(line);
    if (std::strlen(value) >= N) g_Console.PrintStr3("BezierMgr: ", GetWord(line, 0), " cut to its field");
    std::snprintf(out, N, "%s", GetKeywordValue(line));
}

DV WordsToDV(const char* line) {
    return DV{ParseFloat(GetWord(line, 1)), ParseFloat(GetWord(line, 2)), ParseFloat(GetWord(line, 3))};
}

bool WordBool(const char* line) { return ParseInt(GetWord(line, 1)) != 0; }

// One line of a path file applied to the node made last.
void ApplyNodeLine(BezierNode& n, const char* line) {
    if (IsKeyword(line, "nr")) n.m_iNr = ParseInt(GetWord(line, 1));
    else if (IsKeyword(line, "pos")) n.m_vPosition = WordsToDV(line);
    else if (IsKeyword(line, "ksztalt1")) n.m_vShape1 = WordsToDV(line);
    else if (IsKeyword(line, "ksztalt2")) n.m_vShape2 = WordsToDV(line);
    else if (IsKeyword(line, "road_beginning")) n.m_bRoadBeginning = WordBool(line);
    else if (IsKeyword(line, "fixed_rotation")) n.m_vFixedRotation = WordsToDV(line);
    else if (IsKeyword(line, "interpolation_rotation")) n.m_vInterpolationRotation = WordsToDV(line);
    else if (IsKeyword(line, "dont_follow")) n.m_bDontFollow = WordBool(line);
    else if (IsKeyword(line, "emit_bomb")) n.m_bEmitBomb = WordBool(line);
    else if (IsKeyword(line, "gameai_set")) CopyRest(n.m_szGameAISet, line);
    else if (IsKeyword(line, "gameai_unset")) CopyRest(n.m_szGameAIUnset, line);
    else if (IsKeyword(line, "give_action_to_mesh")) CopyRest(n.m_szGiveActionToMesh, line);
    else if (IsKeyword(line, "blocker")) n.m_bBlocker = WordBool(line);
    else if (IsKeyword(line, "dont_render")) n.m_bDontRender = WordBool(line);
    else if (IsKeyword(line, "pause_in_node")) n.m_bPauseInNode = WordBool(line);
    else if (IsKeyword(line, "pause_pause_time")) n.m_dPauseTime = ParseFloat(GetWord(line, 1));
    else if (IsKeyword(line, "values"))
        for (int i = 0; i < 5; ++i) n.m_fValues[i] = ParseFloat(GetWord(line, i + 1));
    else if (IsKeyword(line, "next_in_path_nr")) n.m_iNextInPathNr = ParseInt(GetWord(line, 1));
}

// The point at fraction f of step j of the node's samples.
DV StepPoint(const BezierNode& n, int j, float f) { return Lerp(n.m_vSamples[j], n.m_vSamples[j + 1], f); }

// The direction of travel at fraction f of step j: the chord from the same fraction of the step
// before (for the first step, the incoming direction ending at the first sample) to the same
// fraction of the step after (for the last step, the successor's first step; without a successor
// its position). Zero when the chord has no length.
DV ChordDirection(const BezierNode& n, int j, float f) {
    const DV* s = n.m_vSamples;
    const DV before = j == 0 ? (s[0] - n.m_vIncomingDirection) + n.m_vIncomingDirection * f : StepPoint(n, j - 1, f);
    DV after = n.m_vPosition;
    if (j + 2 < n.m_iSampleCount) after = StepPoint(n, j + 1, f);
    else if (n.m_pNextInPath) after = StepPoint(*n.m_pNextInPath, 0, f);
    return after - before;
}

EOrientation TurnFromDegrees(const DV& angles) {
    return EOrientation::EOrientationFromYawPitchRoll(angles.y * kDegrees, angles.x * kDegrees, angles.z * kDegrees);
}

}  // namespace

// At the program's end the engine may be gone already: only the nodes go.
BezierMgr::~BezierMgr() { FreeNodes(); }

// ---- Reading ---------------------------------------------------------------------------------

bool BezierMgr::LoadPaths(const char* fileName) {
    std::vector<char> bytes;
    if (!fileName || !plat::ReadFileBytes(fileName, bytes)) return false;
    ReadPaths(std::string_view(bytes.data(), bytes.size()));
    StartLoadedObjects();
    return true;
}

void BezierMgr::ReadPaths(std::string_view text) {
    TextLines lines(text, kLineLimit);
    BezierNode* node = nullptr;
    char line[kLineLimit + 1];
    while (lines.NextScriptLine(line, sizeof line)) {
        if (IsKeyword(line, "bezier_node")) {
            g_Debug.AddAlloc(kNodeTag);
            node = new BezierNode;
            node->m_pNextInList = m_pHead;
            m_pHead = node;
            CopyRest(node->m_szName, line);
        } else if (node) {
            ApplyNodeLine(*node, line);
        }
    }
    LinkNodes();
    m_uTotalSteps = 0;
    for (BezierNode* n = m_pHead; n; n = n->m_pNextInList) {
        ComputeNodeLength(n);
        m_uTotalSteps += static_cast<uint32_t>(n->m_iSampleCount - 1);
    }
}

void BezierMgr::LinkNodes() {
    for (BezierNode* n = m_pHead; n; n = n->m_pNextInList) n->m_pNextInPath = FindNodeByNr(n->m_iNextInPathNr);
}

void BezierMgr::ComputeNodeLength(BezierNode* n) {
    n->m_dLength = 0;
    if (!n->m_pNextInPath) {
        n->m_iSampleCount = 2;
        n->m_vSamples[0] = n->m_vSamples[1] = n->m_vPosition;
        return;
    }
    n->m_iSampleCount = BezierNode::kSamples;
    const DV p0 = n->m_vPosition, p1 = n->m_vShape1, p2 = n->m_vShape2, p3 = n->m_pNextInPath->m_vPosition;
    constexpr float kLast = BezierNode::kSamples - 1;
    for (int i = 0; i < BezierNode::kSamples; ++i) {
        const float t = static_cast<float>(i) / kLast, u = static_cast<float>(BezierNode::kSamples - 1 - i) / kLast;
        n->m_vSamples[i] = p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) + p3 * (t * t * t);
        if (i > 0) n->m_dLength += Length(n->m_vSamples[i] - n->m_vSamples[i - 1]);
    }
    if (n->m_dLength == 0) g_Console.Print("ERROR in BezierMgr: Bezier Node length is zero!");
    n->m_pNextInPath->m_vIncomingDirection =
        n->m_vSamples[BezierNode::kSamples - 1] - n->m_vSamples[BezierNode::kSamples - 2];
}

// ---- Queries ---------------------------------------------------------------------------------

BezierNode* BezierMgr::FindNode(const char* name) const {
    if (!name || !*name) return nullptr;
    for (BezierNode* n = m_pHead; n; n = n->m_pNextInList)
        if (StrICmp(n->m_szName, name) == 0) return n;
    return nullptr;
}

BezierNode* BezierMgr::FindNodeByNr(int32_t nr) const {
    for (BezierNode* n = m_pHead; n; n = n->m_pNextInList)
        if (n->m_iNr == nr) return n;
    return nullptr;
}

void BezierMgr::ClearVisited() {
    for (BezierNode* n = m_pHead; n; n = n->m_pNextInList) n->m_bVisited = 0;
}

void BezierMgr::EvaluatePoint(const char* name, double distance, DV* outPoint, DV* outDirection) {
    BezierNode* const start = FindNode(name);
    if (!start) return;
    double d = distance > 0 ? distance : 0.0;
    DV point = start->m_vPosition, direction = start->m_vIncomingDirection;
    ClearVisited();
    bool wrapped = false;
    for (BezierNode* n = start;;) {
        if (!n->m_pNextInPath) {
            point = n->m_vPosition;
            direction = n->m_vIncomingDirection;
            break;
        }
        if (d > n->m_dLength) {
            d -= n->m_dLength;
            n->m_bVisited = 1;
            n = n->m_pNextInPath;
            if (n->m_bVisited && !wrapped) {
                // A closed path: what is left of the distance goes round the loop at most once; a
                // loop of no length ends the walk at the start.
                double loop = 0;
                for (BezierNode* m = n;;) {
                    loop += m->m_dLength;
                    m = m->m_pNextInPath;
                    if (m == n) break;
                }
                if (!(loop > 0)) break;
                d = std::fmod(d, loop);
                wrapped = true;
            }
            continue;
        }
        const int last = n->m_iSampleCount - 2;
        for (int j = 0; j <= last; ++j) {
            const DV step = n->m_vSamples[j + 1] - n->m_vSamples[j];
            const double length = Length(step);
            if (d <= length) {
                const float f = static_cast<float>(Fraction(d, length));
                point = StepPoint(*n, j, f);
                direction = ChordDirection(*n, j, f);
                if (Length(direction) == 0) direction = n->m_vIncomingDirection;
                break;
            }
            d -= length;
            if (j == last) {
                point = n->m_vSamples[last + 1];
                direction = step;
            }
        }
        break;
    }
    if (outPoint) *outPoint = point;
    if (outDirection) *outDirection = pmath::Normalize(direction);
}

double BezierMgr::GetPathLength(const char* name) {
    BezierNode* start = name ? FindNode(name) : nullptr;
    return start ? GetPathLength(start) : 0.0;
}

double BezierMgr::GetPathLength(BezierNode* start) {
    ClearVisited();
    double length = 0;
    for (BezierNode* n = start; n && !n->m_bVisited; n = n->m_pNextInPath) {
        n->m_bVisited = 1;
        length += n->m_dLength;
    }
    return length;
}

void BezierMgr::FindNearestPointOnPath(const char* name, const DV& position, DV* outPoint, double* outDistance) {
    BezierNode* start = FindNode(name);
    if (!start) return;
    if (outDistance) *outDistance = 0;
    DV best = start->m_vPosition;
    double bestAlong = 0;
    if (start->m_pNextInPath) {
        ClearVisited();
        float nearest = 0;
        bool first = true;
        double walked = 0;
        for (BezierNode* n = start; n && n->m_pNextInPath && !n->m_bVisited; n = n->m_pNextInPath) {
            n->m_bVisited = 1;
            DV previous = n->m_vPosition;
            double running = 0;
            const int lastSample = n->m_iSampleCount - 1;
            for (int i = 1; i <= BezierNode::kSamples; ++i) {
                int index = i * lastSample / BezierNode::kSamples;
                if (index > lastSample) index = lastSample;
                const DV probe = n->m_vSamples[index];
                const double before = running;
                running += Length(probe - previous);
                previous = probe;
                const float away = Length(probe - position);
                if (first || away < nearest) {
                    first = false;
                    nearest = away;
                    best = probe;
                    bestAlong = walked + before;
                }
            }
            walked += n->m_dLength;
        }
    }
    if (outPoint) *outPoint = best;
    if (outDistance) *outDistance = bestAlong;
}

// ---- Objects moving along paths --------------------------------------------------------------

void BezierMgr::UpdateAll(float dt) {
    for (int i = 0; i < g_Engine.m_iLightMark; ++i) {
        EObjectSlot& o = g_Engine.m_Objects[i];
        strBezierMovingState* state = o.m_bUsed ? o.m_pBezierState : nullptr;
        if (!state || !state->m_bActive) continue;
        state->m_vPosition = o.m_vPosition;
        state->m_Orientation = o.m_Orientation;
        MoveObject(&o, dt);
        if (o.m_bUsed) g_Engine.SetObjectTransform(&o, state->m_vPosition, state->m_Orientation, true, true);
    }
}

void BezierMgr::ArriveAtNode(EObjectSlot* o, BezierNode* node) {
    strBezierMovingState& s = *o->m_pBezierState;
    const strBezierMovingParameters& p = *o->m_pBezierParams;
    s.m_uStep = 0;
    s.m_dDistanceInStep = s.m_dDistanceInNode = 0;
    s.m_pCurrentNode = node;
    s.m_dSpeed = node->m_fValues[0];
    if (node == s.m_pStartNode) {
        ++s.m_uLaps;
        const double wait = s.m_uLaps == 1 ? p.m_dFirstLapWait : p.m_dLaterLapWait;
        if (wait > 0) {
            s.m_bWaiting = 1;
            s.m_dWaitLeft = wait;
        }
    }
    s.m_bPause = node->m_bPauseInNode;
    s.m_dPauseLeft = node->m_dPauseTime > 0 ? node->m_dPauseTime : 0.0;
    if (node->m_bBlocker && s.m_bStopAtBlockers) s.m_bStoppedAtBlocker = 1;
    if (node->m_bEmitBomb) {
        DV direction = pmath::Normalize(node->m_vSamples[1] - node->m_vSamples[0]);
        if (Length(direction) == 0) direction = DV{0, 0, 1};
        g_FXMgr.AddBomb(node->m_vPosition, direction);
    }
    g_GameAI.SetVariable(node->m_szGameAISet, o);
    g_GameAI.UnsetVariable(node->m_szGameAIUnset, o);
    if (node->m_szGiveActionToMesh[0]) g_Engine.RunAction(node->m_szGiveActionToMesh);
}

void BezierMgr::PlaceObjectAtNode(EObjectSlot* object, BezierNode* node) {
    if (!object || !node || !object->m_pBezierState) return;
    ArriveAtNode(object, node);
    object->m_pBezierState->m_vPosition = node->m_vPosition;
    g_Engine.SetObjectPosition(object, node->m_vPosition, true);
}

void BezierMgr::MoveObject(EObjectSlot* o, double dt) {
    strBezierMovingState& s = *o->m_pBezierState;
    const strBezierMovingParameters& p = *o->m_pBezierParams;
    if (!s.m_pStartNode) s.m_pStartNode = FindNode(p.m_szStartNode);
    if (!s.m_pStartNode) {
        if (p.m_szStartNode[0]) {
            g_Console.Print("ERROR: Start bezier node not found!");
            g_Console.Print("Bad node name:");
            g_Console.Print(p.m_szStartNode);
            g_Console.Print("Bad object name:");
            g_Console.Print(o->m_szName);
        }
        return;
    }
    if (!s.m_pCurrentNode) s.m_pCurrentNode = s.m_pStartNode;
    if (s.m_uStep > static_cast<uint32_t>(s.m_pCurrentNode->m_iSampleCount - 2))
        s.m_uStep = static_cast<uint32_t>(s.m_pCurrentNode->m_iSampleCount - 2);

    if (s.m_iFadeMode != 0) {
        const double elapsed = dt;
        dt *= s.m_dSpeedFactor;
        if (s.m_iFadeMode == 1 && s.m_dFadeTime > 0) {
            s.m_dSpeedFactor -= elapsed / s.m_dFadeTime;
            if (s.m_dSpeedFactor < 0) s.m_dSpeedFactor = 0;
        } else if (s.m_iFadeMode == 2) {
            s.m_dSpeedFactor += s.m_dFadeTime > 0 ? elapsed / s.m_dFadeTime : 1.0;
            if (s.m_dSpeedFactor >= 1) {
                s.m_dSpeedFactor = 1;
                s.m_iFadeMode = 0;
            }
        }
    }

    // However fast the object or however short the path, no frame takes it round more than the
    // sample steps of all paths twice: a path of no length or a speed far beyond the step lengths
    // cannot hold the frame.
    for (uint32_t steps = 0; steps <= 2 * m_uTotalSteps + 2; ++steps) {
        if (s.m_bWaiting) {
            if (dt < s.m_dWaitLeft) {
                s.m_dWaitLeft -= dt;
                break;
            }
            dt -= s.m_dWaitLeft;
            s.m_dWaitLeft = 0;
            s.m_bWaiting = 0;
        }
        if (s.m_bStoppedAtBlocker) {
            if (s.m_bStopAtBlockers) break;
            s.m_bStoppedAtBlocker = 0;
            s.m_bStopAtBlockers = p.m_bBlockerStop;
        }
        if (s.m_bPause) {
            if (dt < s.m_dPauseLeft) {
                s.m_dPauseLeft -= dt;
                break;
            }
            dt -= s.m_dPauseLeft;
            s.m_dPauseLeft = 0;
            s.m_bPause = 0;
        }
        if (s.m_dSpeed == 0 || !(dt > 0)) break;

        BezierNode* node = s.m_pCurrentNode;
        const double length = Length(node->m_vSamples[s.m_uStep + 1] - node->m_vSamples[s.m_uStep]);
        const double advance = s.m_dSpeed * dt;
        if (s.m_dDistanceInStep + advance < length) {
            s.m_dDistanceInStep += advance;
            s.m_dDistanceInNode += advance;
            if (s.m_dDistanceInNode > node->m_dLength) s.m_dDistanceInNode = node->m_dLength;
            break;
        }
        double used = length - s.m_dDistanceInStep;
        used = used < 0 ? 0 : used > length ? length : used;
        dt -= used / s.m_dSpeed;
        if (dt < 0) dt = 0;
        s.m_dDistanceInNode += used;
        s.m_dDistanceInStep = 0;
        ++s.m_uStep;
        BezierNode* next = node->m_pNextInPath;
        const double value = node->m_fValues[0];
        s.m_dSpeed = next ? value + (next->m_fValues[0] - value) * Fraction(s.m_dDistanceInNode, node->m_dLength) : value;
        if (static_cast<int>(s.m_uStep) <= node->m_iSampleCount - 2) continue;

        // The node is done.
        const int64_t limit = p.m_iLapLimit;
        if (next) {
            ArriveAtNode(o, next);
            if (next == s.m_pStartNode && limit != 0 && limit < static_cast<int64_t>(s.m_uLaps)) {
                g_Engine.StopBezierMoving(o);
                break;
            }
        } else {
            s.m_uStep = 0;
            s.m_dDistanceInNode = 0;
            if (limit != 0 && static_cast<int64_t>(s.m_uLaps) >= limit) {
                g_Engine.StopBezierMoving(o);
                break;
            }
            ArriveAtNode(o, s.m_pStartNode);
        }
    }

    const BezierNode& node = *s.m_pCurrentNode;
    const int j = static_cast<int>(s.m_uStep);
    const DV step = node.m_vSamples[j + 1] - node.m_vSamples[j];
    const float f = static_cast<float>(Fraction(s.m_dDistanceInStep, Length(step)));
    s.m_vPosition = StepPoint(node, j, f);
    if (node.m_bDontFollow) return;

    DV direction = ChordDirection(node, j, f);
    if (Length(direction) == 0) direction = step;
    // Standing on a point of no direction, the object keeps its orientation.
    if (Length(direction) == 0) return;
    const BezierNode* next = node.m_pNextInPath;
    const float t = static_cast<float>(Fraction(s.m_dDistanceInNode, node.m_dLength));
    const DV turn = next ? Lerp(node.m_vInterpolationRotation, next->m_vInterpolationRotation, t)
                         : node.m_vInterpolationRotation;
    const float roll = next ? node.m_fValues[1] + (next->m_fValues[1] - node.m_fValues[1]) * t : node.m_fValues[1];

    EOrientation orientation;
    if (p.m_bKeepOwnOrientation) orientation.SetQuaternion(&s.m_OwnOrientation);
    const EOrientation fixed = TurnFromDegrees(node.m_vFixedRotation), blended = TurnFromDegrees(turn);
    orientation.Multiply(&fixed.m_Quaternion);
    orientation.Multiply(&blended.m_Quaternion);
    const EOrientation along = EOrientation::EOrientationFromDirection(&direction);
    orientation.Multiply(&along.m_Quaternion);
    const DV front = orientation.m_Front;
    orientation.RotateAxis(&front, roll * kDegrees);
    s.m_Orientation = orientation;
}

void BezierMgr::StartLoadedObjects() {
    for (int i = 0; i < g_Engine.m_iLightMark; ++i) {
        EObjectSlot& o = g_Engine.m_Objects[i];
        if (!o.m_bUsed || !o.m_pBezierParams || !o.m_pBezierParams->m_bEnabled) continue;
        if (o.m_pBezierParams->m_bStartAtLoad) {
            g_Engine.StartBezierMoving(&o);
        } else if (o.m_pBezierParams->m_bPlaceOnPathAtLoad) {
            strBezierMovingState& s = *o.m_pBezierState;
            s.m_vPosition = o.m_vPosition;
            s.m_Orientation = o.m_Orientation;
            MoveObject(&o, 0);
            g_Engine.SetObjectTransform(&o, s.m_vPosition, s.m_Orientation, true, true);
        }
    }
}

void BezierMgr::Release() {
    // Objects still in the table forget the nodes they move on.
    for (EObjectSlot& o : g_Engine.m_Objects)
        if (strBezierMovingState* s = o.m_pBezierState) s->m_pStartNode = s->m_pCurrentNode = s->m_pPreviousNode = nullptr;
    const int nodes = FreeNodes();
    for (int i = 0; i < nodes; ++i) g_Debug.RemoveAlloc(kNodeTag);
}

int BezierMgr::FreeNodes() {
    int nodes = 0;
    for (; m_pHead; ++nodes) {
        BezierNode* next = m_pHead->m_pNextInList;
        delete m_pHead;
        m_pHead = next;
    }
    m_uTotalSteps = 0;
    return nodes;
}

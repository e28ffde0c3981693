#pragma once
// One animated character: the per-instance half of a skinned model. It shares its model
// resource with every other instance of the file and keeps its own node table (a flat copy of the
// frame hierarchy with the pose of each node), its bone palettes, its texture variants, four
// animation channels, its sockets and bone controllers, and its collision elements. Each frame
// channel 0 is advanced and evaluated, the node matrices are rebuilt and the containers are drawn
// with the skinning effect.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "mesh/ESkinMeshAnimation.h"
#include "mesh/ESkinMeshBase.h"
#include "mesh/ESkinMeshCollision.h"
#include "platform/math/Matrix.h"
#include "platform/math/Quaternion.h"
#include "render/DrawRecord.h"

class EObjectSlot;
class ECharacterRagDoll;

class ESkinMesh : public DrawSkin {
public:
    static constexpr int kChannels = 4;
    static constexpr int MAX_NUM_ATTRIBUTE_GROUPS = 50;
    static constexpr int kMaxTextureSubstitutions = 31;
    static constexpr int kBipedSlots = 50;
    static constexpr float kDefaultRadius = 64.0f;

    enum ChannelState : uint32_t {
        CHANNEL_NONE = 0,
        CHANNEL_PLAYING = 1,
        CHANNEL_PLAYING_ALT = 2,
        CHANNEL_HOLD = 3,
        CHANNEL_BLENDING = 4,
        CHANNEL_IDLE = 5,
        CHANNEL_RAGDOLL = 7,
    };

    // The biped slots, in order.
    enum BipedSlot {
        BIP01, BIP01_PELVIS, BIP01_SPINE, BIP01_SPINE1, BIP01_SPINE2, BIP01_L_THIGH, BIP01_R_THIGH, BIP01_R_CALF,
        BIP01_R_FOOT, BIP01_R_TOE0, BIP01_R_TOE0NUB, BIP01_L_CALF, BIP01_L_FOOT, BIP01_L_TOE0, BIP01_L_TOE0NUB,
        BIP01_NECK, BIP01_HEAD, BIP01_HEADNUB, BIP01_L_CLAVICLE, BIP01_R_CLAVICLE, BIP01_R_UPPERARM, BIP01_R_FOREARM,
        BIP01_R_HAND, BIP01_L_UPPERARM, BIP01_L_FOREARM, BIP01_L_HAND, BIP01_R_FINGER0, BIP01_L_FINGER0 = 38,
    };

    // Per node: the controllers' rest vectors (in the body frame) and their two matrices.
    struct NodeControl {
        DV vRest[4];
        float fValue = 0.0f;
        uint8_t bFlag = 0;
        pmath::Matrix mControl[2] = {pmath::Identity(), pmath::Identity()};
    };

    // One frame of the model.
    struct strNode {
        char szName[kAnimationNameLength] = {};
        int32_t iParent = -1;
        int32_t iSibling = -1;
        int32_t iFirstChild = -1;
        int32_t iNumChildren = 0;
        int32_t iIndex = 0;
        D3DXFRAME_DERIVED* pFrame = nullptr;
        D3DXMESHCONTAINER_DERIVED* pMeshContainer = nullptr;
        // One texture id per material of the container.
        std::vector<uint32_t> pTextureIDs;
        int32_t iDepth = 0;
        uint8_t bMask[3] = {};
        NodeControl control;
        pmath::Matrix mLoad = pmath::Identity();
        pmath::Matrix mLocal = pmath::Identity();
        pmath::Matrix mCombined = pmath::Identity();
        DV vFromT, vFromS{1.0f, 1.0f, 1.0f};
        pmath::Quaternion qFrom;
        DV vToT, vToS{1.0f, 1.0f, 1.0f};
        pmath::Quaternion qTo;
        DV vT, vS{1.0f, 1.0f, 1.0f};
        pmath::Quaternion qR;
        strLinkField* pLinkField = nullptr;
        // The ragdoll's target: where the node goes, the direction of the body-frame axis it follows
        // (axis code 0 front, 1 up, 2 side) and the mark of nodes that keep following their parent.
        DV vRagDollTarget;
        DV vRagDollDirection;
        uint8_t bRagDollMark = 0;
        uint8_t uAxisCode = 0;
        // The combined matrix and target direction when the ragdoll started.
        pmath::Matrix mRagDollStart = pmath::Identity();
        DV vRagDollStartDirection;
    };

    // A node with a mesh container and the palettes of its attribute groups.
    struct strMeshRecord {
        int32_t iNode = 0;
        D3DXMESHCONTAINER_DERIVED* pContainer = nullptr;
        std::vector<std::vector<pmath::Matrix>> pBoneMatrices;
        std::vector<const pmath::Matrix*> pPalettes;
    };

    ESkinMesh();
    virtual ~ESkinMesh();
    ESkinMesh(const ESkinMesh&) = delete;
    ESkinMesh& operator=(const ESkinMesh&) = delete;

    // Makes the instance of the model; false after logging why (the instance stays uncreated).
    bool Create(const char* path);
    void Destroy();

    // Channel 0 at once, the other channels idle.
    void SetAnimation(const char* name, bool loop);
    // Blends channel 0 (the others go idle) or one of channels 1 to 3 over the time.
    void BlendToAnimation(const char* name, bool loop, float blendTime);
    void BlendToAnimation1(const char* name, bool loop, float blendTime) { BlendChannel(1, name, loop, blendTime); }
    void BlendToAnimation2(const char* name, bool loop, float blendTime) { BlendChannel(2, name, loop, blendTime); }
    void BlendToAnimation3(const char* name, bool loop, float blendTime) { BlendChannel(3, name, loop, blendTime); }
    bool IsAnimationFinished() const;
    // The clip's slot in the model's table, loading it from the model's folder or the common
    // cache when needed; -1 when there is no such clip.
    int FindAnimationAndLoadIfNotPresent(const char* name);
    // Advances and evaluates channel 0 by the frame.
    void UpdateAnimation();
    // The nodes' combined matrices and the palettes, from the pose and the world transform.
    void UpdateFrameMatrices();
    // The nodes' combined matrices and the collision elements catch up with a pose evaluated since
    // they last followed it; segment queries call it, so an undrawn character is hit where it is.
    void FollowPose();
    // Draws the groups of the material whose texture id is the texture, with the pass's effect.
    void Render(uint32_t textureId, uint32_t attribute, EffectRecord* effect) override;
    void Render(const SkinEffectContext& effect, uint32_t textureId, uint32_t attribute);

    void SetPosition(const DV& position);
    void SetScale(const DV& scale);
    void SetOrientation(const EOrientation& orientation);
    void SetWorldTransform();
    void EnableDefaultPoseRestore() { m_uDefaultPose = 1; }
    strNode* FindNode(const char* name);
    const strNode* FindNode(const char* name) const;
    // The translation of the node's combined matrix; false when there is no such node.
    bool GetNodeWorldPosition(const char* name, DV* out) const;
    // Resolves every node's link field again (after clips joined the model or the cache).
    void ResolveLinkFields();
    // Looks every channel's clip up again by its name.
    void ResolveChannels();

    // Sockets: the socket's world position and orientation; false when there is no such socket
    // or its node is missing (tried again at the next lookup).
    bool GetSocket(const char* name, DV* position, EOrientation* orientation);
    void RemoveSocket(const char* name);
    void RemoveAllSockets();

    // The bone controllers and the leg inverse kinematics; nothing in the game drives them.
    void UpdateSpineLook();
    void UpdateHeadLook();
    void ApplySpineBend();
    void ApplySpineTwist();
    void ApplyArmCompensation();
    void ApplyHeadNod();
    void ApplyHandRotations();
    void ApplyFootRotations();
    void ApplyRightHandController();
    bool InverseKinematics(const DV& leftFootTarget, const DV& rightFootTarget);
    bool WriteSockets() const;
    bool WriteAnimationDescriptions() const;
    void DumpNodes() const;

    // Exporters nothing in the game calls: the model file's first animation set as a clip; the
    // animation sets of every ".x" file of a folder, each into "<name>.bin" beside it; the clip
    // held on channel 0 as a clip file of its own.
    bool ExportAnimation(const char* path) const;
    static void ExportFolderAnimations(const char* folder);
    bool SaveHeldClip(const char* path) const;

    // The state record (the engine's state file); nothing in the game writes or reads it.
    bool SaveState(FILE* file) const;
    bool ReadState(FILE* file);

    // Before the ragdoll may drive the pose: every node it needs is there.
    bool ValidateRagDollNodes() const;
    // The ragdoll's entry points; nothing in the game calls them. Start lays the ragdoll over the
    // current pose (factor 0.9, detailed collisions) and makes channel 0 follow it.
    bool StartRagDoll();
    void ActivateRagDoll();
    void RagDollHit(const char* partName, const DV& direction);
    void RagDollPushAll(const DV& velocity);
    void RagDollLowerBodyHit(const DV& direction);
    // One frame of an active ragdoll: its physics, then the bone matrices from its pose.
    void UpdateRagDoll();
    // The combined matrices from the ragdoll's node targets: each driven node at its target, turned
    // as its target direction turned since the start; marked nodes follow their parent.
    void ApplyRagDollPose();

    // Every created instance, for the operations that reach them all.
    static const std::vector<ESkinMesh*>& LiveInstances();

    uint32_t m_uDefaultPose = 0;
    char m_szTextureSubstitutions[kMaxTextureSubstitutions][2][256] = {};
    uint32_t m_uNumTextureSubstitutions = 0;
    double m_dFrameDelta = 0.0;
    // The play time channel 0 takes while the time-advance switch is off.
    double m_dExternalTime = 0.0;
    uint8_t m_bAdvanceTime = 1;
    ESkinMeshBase* m_pSkinMeshBase = nullptr;
    strAnimPlayingParams m_AnimPlayingParams[kChannels];
    uint32_t m_uChannelState[kChannels] = {};
    int32_t m_iNumNodes = 0;
    std::vector<strNode> m_pNodes;
    int32_t m_iAktNodeIdx = 0;
    std::vector<strMeshRecord> m_pMeshes;
    strSkinMeshSocket* m_pSockets = nullptr;
    ESkinMeshCollisionSet m_Collisions;
    DV m_vPosition;
    EOrientation m_Orientation;
    DV m_vScale{1.0f, 1.0f, 1.0f};
    double m_dRadius = kDefaultRadius;
    DV m_vCollisionMin;
    DV m_vCollisionMax;
    // Set when the animation evaluated a pose the node matrices and elements have not followed.
    uint8_t m_bPoseChanged = 0;
    // Counts the poses evaluated by any instance, so that a reader can tell that none changed.
    static inline uint32_t s_uPosesEvaluated = 0;
    uint8_t m_bCreated = 0;
    EObjectSlot* m_hObject = nullptr;
    pmath::Matrix m_WorldMatrix = pmath::Identity();
    strNode* m_pBiped[kBipedSlots] = {};
    uint8_t m_bDrawInReducedMode = 1;
    // Made with the instance when the model has a death folder.
    ECharacterRagDoll* m_pRagDoll = nullptr;

    // Controller values, kept in the instance's state record.
    double m_dSpineLook[6] = {0, 0, 1.0, 0, 0, 1.0};  // target, current pitch, rate; target, current yaw, rate
    double m_dHeadLook[6] = {0, 0, 1.0, 0, 0, 1.0};
    double m_dSpineBend = 0.0;
    double m_dSpineTwist = 0.0;
    double m_dArmCompensation = 0.0;
    double m_dHeadNod = 0.0;
    double m_dLeftHand = 0.0;
    double m_dRightHand = 0.0;
    double m_dLeftFoot = 0.0;
    double m_dRightFoot = 0.0;
    double m_dRightHandController[2] = {};

    // Leg measurements for the inverse kinematics, taken at creation.
    DV m_vPelvisToThigh[2];
    DV m_vPelvisToFoot[2];
    float m_fLegLengths[12] = {};
    float m_fLegRatios[3] = {};
    uint8_t m_bLegsMeasured = 0;

private:
    void FillNodesTable();
    void SetMasks();
    void MakeMeshRecords();
    void FillBipedSlots();
    void TakeLegMeasurements();
    void BuildBodyFrame();
    void CopySockets();
    // The ragdoll from the model's "death" folder; the instance has none when it does not load.
    void CreateRagDoll();
    void DestroyRagDoll();
    void ChooseTextureVariants();
    const char* TextureVariant(const char* texture, int& counter);
    void StartDefaultAnimation();
    void BlendChannel(int channel, const char* name, bool loop, float blendTime);
    void StepLook(double* controller, strNode* node) const;
    void StartChannel(int channel, int clip, const char* name, bool loop);
    void AdvanceBlend();
    void EvaluateChannel0();
    // The node takes the transform as its pose and local matrix.
    static void Pose(strNode& node, const DV& t, const pmath::Quaternion& r, const DV& s);
    void UpdateCombinedMatrices();
    bool UpdateCollisionElements();
    strAnimPlayingParams& Channel0() { return m_AnimPlayingParams[0]; }
    const strSkinMeshAnimation* Clip(int index) const;
};

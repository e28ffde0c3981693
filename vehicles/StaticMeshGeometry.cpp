#include "vehicles/StaticMeshGeometry.h"

#include "mesh/EMesh.h"
#include "platform/xfile/Mesh.h"
#include "world/EObjectSlot.h"

StaticMeshGeometry ReadStaticMeshGeometry(const EObjectSlot* object) {
    StaticMeshGeometry g;
    const EMesh* mesh = object ? object->Mesh() : nullptr;
    const xfile::Mesh* model = mesh ? mesh->m_pMesh : nullptr;
    const gfx::VertexElement* position = model ? model->FindElement(gfx::DECLUSAGE_POSITION) : nullptr;
    if (!position) return g;
    g.vertexCount = model->GetNumVertices();
    g.triangleCount = model->GetNumFaces();
    g.stride = model->GetNumBytesPerVertex();
    g.positions = model->VertexData() + position->offset;
    g.indices = model->IndexData();
    return g;
}

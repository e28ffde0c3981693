// The .x writer's binary form reads back exactly; its text form reads back as the same objects;
// binary documents cut short or in double precision.
#include "platform/xfile/XFileWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "platform/os/Files.h"
#include "platform/xfile/XFileDocument.h"
#include "support/TestSupport.h"
#include "support/XFiles.h"

namespace {

const gfx::VertexElement kEngineLayout[] = {{0, 0, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_POSITION, 0},
                                            {0, 12, gfx::DECLTYPE_D3DCOLOR, 0, gfx::DECLUSAGE_COLOR, 0},
                                            {0, 16, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_NORMAL, 0},
                                            {0, 28, gfx::DECLTYPE_FLOAT2, 0, gfx::DECLUSAGE_TEXCOORD, 0},
                                            gfx::DECL_END};

class XFileWriterTest : public test::StartDirTest {
protected:
    // The cube in the engine's layout, with odd colours and coordinates, sorted and optimised.
    std::shared_ptr<xfile::Mesh> EngineCube(std::vector<xfile::ExtendedMaterial>& materials) {
        std::shared_ptr<xfile::Mesh> loaded, mesh;
        EXPECT_EQ(test::LoadText(test::CubeMesh(), materials, loaded), gfx::OK);
        EXPECT_EQ(loaded->CloneMesh(xfile::MESH_SYSTEMMEM, kEngineLayout, nullptr, mesh), gfx::OK);
        void* p;
        mesh->LockVertexBuffer(0, &p);
        for (uint32_t v = 0; v < mesh->GetNumVertices(); ++v) {
            uint8_t* vertex = static_cast<uint8_t*>(p) + v * 36;
            const uint32_t colour = 0x01020304u * (v + 1) + 0x80000000u;
            const float uv[2] = {0.1f * v, 1.0f / (v + 3)};
            std::memcpy(vertex + 12, &colour, 4);
            std::memcpy(vertex + 28, uv, 8);
        }
        mesh->UnlockVertexBuffer();
        EXPECT_EQ(mesh->OptimizeInplace(xfile::MESHOPT_ATTRSORT | xfile::MESHOPT_VERTEXCACHE, nullptr, nullptr),
                  gfx::OK);
        return mesh;
    }

    std::vector<uint8_t> Bytes(const char* gamePath) {
        std::vector<char> bytes;
        plat::ReadFileBytes(gamePath, bytes);
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
};

TEST_F(XFileWriterTest, TheBinaryFormReadsBackExactly) {
    std::vector<xfile::ExtendedMaterial> materials;
    auto mesh = EngineCube(materials);
    ASSERT_EQ(xfile::SaveMeshToX("!opt\\cube.xvx.x", *mesh, nullptr, materials.data(), 2, xfile::FILEFORMAT_BINARY),
              gfx::ERR_INVALIDCALL);  // no folder yet
    plat::CreateDirectory("!opt");
    ASSERT_EQ(xfile::SaveMeshToX("!opt\\cube.xvx.x", *mesh, nullptr, materials.data(), 2, xfile::FILEFORMAT_BINARY),
              gfx::OK);
    EXPECT_EQ(ReadFile("!opt\\cube.xvx.x").substr(0, 16), "xof 0303bin 0032");

    std::vector<xfile::ExtendedMaterial> readMaterials;
    std::shared_ptr<xfile::Mesh> read, back;
    ASSERT_EQ(xfile::LoadMeshFromX("!OPT\\Cube.xvx.x", xfile::MESH_SYSTEMMEM, nullptr, readMaterials, read), gfx::OK);
    ASSERT_EQ(read->CloneMesh(xfile::MESH_SYSTEMMEM, kEngineLayout, nullptr, back), gfx::OK);
    ASSERT_EQ(back->GetNumVertices(), mesh->GetNumVertices());
    ASSERT_EQ(back->GetNumFaces(), mesh->GetNumFaces());
    EXPECT_EQ(std::memcmp(back->VertexData(), mesh->VertexData(), mesh->GetNumVertices() * 36), 0);
    EXPECT_EQ(std::memcmp(back->IndexData(), mesh->IndexData(), mesh->GetNumFaces() * 6), 0);
    EXPECT_EQ(std::memcmp(back->AttributeData(), mesh->AttributeData(), mesh->GetNumFaces() * 4), 0);
    ASSERT_EQ(readMaterials.size(), 2u);
    for (size_t m = 0; m < 2; ++m) {
        EXPECT_EQ(std::memcmp(&readMaterials[m].MatD3D, &materials[m].MatD3D, sizeof(gfx::Material)), 0);
        EXPECT_EQ(readMaterials[m].TextureFilename, materials[m].TextureFilename);
    }
}

TEST_F(XFileWriterTest, TheTextFormHoldsTheSameObjectsAsTheBinaryForm) {
    std::vector<xfile::ExtendedMaterial> materials;
    auto mesh = EngineCube(materials);
    ASSERT_EQ(xfile::SaveMeshToX("a.x", *mesh, nullptr, materials.data(), 2, xfile::FILEFORMAT_TEXT), gfx::OK);
    ASSERT_EQ(xfile::SaveMeshToX("b.x", *mesh, nullptr, materials.data(), 2, xfile::FILEFORMAT_BINARY), gfx::OK);
    EXPECT_NE(ReadFile("a.x").find("\"textures\\\\blue.tga\";"), std::string::npos);
    auto text = Bytes("a.x"), binary = Bytes("b.x");
    xfile::XFileDocument a, b;
    std::string error;
    ASSERT_TRUE(a.Parse(text.data(), text.size(), error)) << error;
    ASSERT_TRUE(b.Parse(binary.data(), binary.size(), error)) << error;
    std::function<void(const xfile::XObject&, const xfile::XObject&)> same = [&](const xfile::XObject& x,
                                                                                  const xfile::XObject& y) {
        EXPECT_EQ(x.type, y.type);
        EXPECT_EQ(x.strings, y.strings);
        ASSERT_EQ(x.numbers.size(), y.numbers.size()) << x.type;
        for (size_t i = 0; i < x.numbers.size(); ++i) EXPECT_NEAR(x.numbers[i], y.numbers[i], 5e-7) << x.type << i;
        ASSERT_EQ(x.children.size(), y.children.size());
        for (size_t i = 0; i < x.children.size(); ++i) same(*x.children[i].object, *y.children[i].object);
    };
    ASSERT_EQ(a.Objects().size(), 1u);
    ASSERT_EQ(b.Objects().size(), 1u);
    same(*a.Objects()[0], *b.Objects()[0]);
}

TEST_F(XFileWriterTest, TheBinaryFormEndsAStringWithATwoByteSeparatorAsOtherWritersDo) {
    // The texture names of a file another program wrote, written again by ours: each name is
    // followed by the 2-byte ';' and then the 2-byte '}' of its TextureFilename.
    const std::string standard = test::StandardBinaryFile("textured_quad_bin.x");
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> mesh;
    ASSERT_EQ(xfile::LoadMeshFromXInMemory(reinterpret_cast<const uint8_t*>(standard.data()), standard.size(),
                                           xfile::MESH_SYSTEMMEM, nullptr, materials, mesh),
              gfx::OK);
    ASSERT_EQ(xfile::SaveMeshToX("quad.x", *mesh, nullptr, materials.data(), 2, xfile::FILEFORMAT_BINARY), gfx::OK);
    const std::string written = ReadFile("quad.x");
    for (const std::string name : {"textures\\grass.bmp", "road.tga"}) {
        const size_t at = written.find(name);
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_EQ(written.substr(at + name.size(), 4), std::string("\x14\0\x0b\0", 4)) << name;
    }
    std::vector<xfile::ExtendedMaterial> readMaterials;
    std::shared_ptr<xfile::Mesh> read;
    ASSERT_EQ(xfile::LoadMeshFromX("quad.x", xfile::MESH_SYSTEMMEM, nullptr, readMaterials, read), gfx::OK);
    ASSERT_EQ(readMaterials.size(), 2u);
    EXPECT_EQ(readMaterials[1].TextureFilename, "road.tga");
}

// A binary document by hand: a header, then 16-bit tokens with their data.
struct BinaryFile {
    std::string bytes;
    explicit BinaryFile(const char* floatSize) { bytes = std::string("xof 0303bin ") + floatSize; }
    BinaryFile& Token(uint16_t t) { return Raw(&t, 2); }
    BinaryFile& U32(uint32_t v) { return Raw(&v, 4); }
    BinaryFile& Name(const std::string& n) { return Token(1).U32(static_cast<uint32_t>(n.size())).Raw(n.data(), n.size()); }
    BinaryFile& Raw(const void* p, size_t n) {
        bytes.append(static_cast<const char*>(p), n);
        return *this;
    }
};

TEST(XFileDocumentTest, BinaryDoublesAndBinaryFilesCutShort) {
    BinaryFile file("0064");
    const double values[3] = {0.1, -2.5, 1e300};
    file.Token(31).Name("Ignored").Token(10).Token(5).Raw("0123456789abcdef", 16).Token(41).Token(11);
    file.Name("Thing").Name("named").Token(10).Token(7).U32(3).Raw(values, sizeof values).Token(6).U32(1).U32(7);
    file.Token(10).Name("other").Token(11).Token(11);
    xfile::XFileDocument document;
    std::string error;
    const auto* data = reinterpret_cast<const uint8_t*>(file.bytes.data());
    ASSERT_TRUE(document.Parse(data, file.bytes.size(), error)) << error;
    ASSERT_EQ(document.Objects().size(), 1u);
    const xfile::XObject& thing = *document.Objects()[0];
    EXPECT_EQ(thing.name, "named");
    EXPECT_EQ(thing.numbers, (std::vector<double>{0.1, -2.5, 1e300, 7}));
    ASSERT_EQ(thing.children.size(), 1u);
    EXPECT_EQ(thing.children[0].reference, "other");
    for (size_t cut : {size_t{17}, size_t{40}, file.bytes.size() - 3}) {
        EXPECT_FALSE(document.Parse(data, cut, error));
        EXPECT_NE(error.find("offset"), std::string::npos) << error;
    }
    // A list that claims more values than the file holds is refused before anything is made.
    BinaryFile huge("0032");
    huge.Name("Mesh").Token(10).Token(7).U32(0x40000000u).U32(0);
    EXPECT_FALSE(document.Parse(reinterpret_cast<const uint8_t*>(huge.bytes.data()), huge.bytes.size(), error));
    EXPECT_NE(error.find("ends inside a list"), std::string::npos) << error;
}

}  // namespace

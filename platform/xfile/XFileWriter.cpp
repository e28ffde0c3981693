#include "platform/xfile/XFileWriter.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os/Files.h"

namespace xfile {

namespace {

// The two forms of the same stream of objects and values.
class Output {
public:
    explicit Output(bool binary) : m_binary(binary) {
        m_out = binary ? "xof 0303bin 0032" : "xof 0303txt 0032\n";
    }

    void Begin(const char* type) {
        if (m_binary) {
            Flush();
            Token(1);
            Counted(type, std::strlen(type));
            Token(10);
        } else {
            m_out += type;
            m_out += " {\n";
        }
    }
    void End() {
        if (m_binary) {
            Flush();
            Token(11);
        } else {
            m_out += "}\n";
        }
    }
    // A value and the separator after it (';' ends a member, ',' divides array entries).
    void Int(uint32_t v, char separator) {
        if (m_binary) return Pending(true, &v);
        char text[16];
        std::snprintf(text, sizeof text, "%u", v);
        Text(text, separator);
    }
    void Float(float v, char separator) {
        if (m_binary) return Pending(false, &v);
        char text[48];
        std::snprintf(text, sizeof text, "%.6f", v);
        Text(text, separator);
    }
    void String(const std::string& s) {
        if (m_binary) {
            Flush();
            Token(2);
            Counted(s.data(), s.size());
            Token(20);  // the ';' that ends the string
            return;
        }
        m_out += '"';
        for (char c : s) m_out += c == '\\' ? std::string("\\\\") : std::string(1, c);
        m_out += "\";\n";
    }
    // A separator that closes an array (text only).
    void Close(char separator) {
        if (!m_binary) m_out += separator, m_out += '\n';
    }
    void Line() {
        if (!m_binary) m_out += '\n';
    }

    const std::string& Bytes() {
        Flush();
        return m_out;
    }

private:
    void Text(const char* text, char separator) {
        m_out += text;
        if (separator) m_out += separator;
    }
    void Token(uint16_t token) { m_out.append(reinterpret_cast<const char*>(&token), 2); }
    void Counted(const char* data, size_t size) {
        const uint32_t count = static_cast<uint32_t>(size);
        m_out.append(reinterpret_cast<const char*>(&count), 4);
        m_out.append(data, size);
    }
    // Consecutive integers go out as one integer list, consecutive floats as one float list.
    void Pending(bool integer, const void* value) {
        if (!m_list.empty() && m_listIntegers != integer) Flush();
        m_listIntegers = integer;
        const char* p = static_cast<const char*>(value);
        m_list.insert(m_list.end(), p, p + 4);
    }
    void Flush() {
        if (m_list.empty()) return;
        Token(m_listIntegers ? 6 : 7);
        const uint32_t count = static_cast<uint32_t>(m_list.size() / 4);
        m_out.append(reinterpret_cast<const char*>(&count), 4);
        m_out.append(m_list.data(), m_list.size());
        m_list.clear();
    }

    bool m_binary;
    std::string m_out;
    std::vector<char> m_list;
    bool m_listIntegers = false;
};

float Read(const uint8_t* p) {
    float f;
    std::memcpy(&f, p, 4);
    return f;
}

void WriteFloats(Output& out, const Mesh& mesh, const gfx::VertexElement& e, int count) {
    const uint32_t n = mesh.GetNumVertices();
    out.Int(n, ';');
    out.Line();
    for (uint32_t v = 0; v < n; ++v) {
        const uint8_t* p = mesh.VertexData() + v * mesh.GetNumBytesPerVertex() + e.offset;
        for (int i = 0; i < count; ++i) out.Float(Read(p + 4 * i), ';');
        out.Close(v + 1 < n ? ',' : ';');
    }
}

void WriteFaces(Output& out, const Mesh& mesh) {
    const uint32_t faces = mesh.GetNumFaces();
    out.Int(faces, ';');
    out.Line();
    for (uint32_t f = 0; f < faces; ++f) {
        out.Int(3, ';');
        for (int k = 0; k < 3; ++k) out.Int(mesh.IndexData()[f * 3 + k], k < 2 ? ',' : ';');
        out.Close(f + 1 < faces ? ',' : ';');
    }
}

void WriteColour(Output& out, const gfx::ColorValue& c, bool alpha) {
    out.Float(c.r, ';');
    out.Float(c.g, ';');
    out.Float(c.b, ';');
    if (alpha) out.Float(c.a, ';');
    out.Close(';');
}

void WriteMaterial(Output& out, const ExtendedMaterial& m) {
    out.Begin("Material");
    WriteColour(out, m.MatD3D.Diffuse, true);
    out.Float(m.MatD3D.Power, ';');
    out.Line();
    WriteColour(out, m.MatD3D.Specular, false);
    WriteColour(out, m.MatD3D.Emissive, false);
    if (!m.TextureFilename.empty()) {
        out.Begin("TextureFilename");
        out.String(m.TextureFilename);
        out.End();
    }
    out.End();
}

}  // namespace

gfx::Result SaveMeshToX(std::string_view gamePath, const Mesh& mesh, const uint32_t* adjacency,
                        const ExtendedMaterial* materials, uint32_t materialCount, uint32_t format,
                        uint32_t version) {
    if (format != FILEFORMAT_BINARY && format != FILEFORMAT_TEXT) return gfx::ERR_INVALIDCALL;
    const gfx::VertexElement* position = mesh.FindElement(gfx::DECLUSAGE_POSITION);
    if (!position || position->type != gfx::DECLTYPE_FLOAT3) return gfx::ERR_INVALIDCALL;
    Output out(format == FILEFORMAT_BINARY);
    if (version) {
        out.Begin("Header");
        out.Int(version, ';');
        out.Int(0, ';');
        out.Int(0, ';');
        out.End();
    }
    out.Begin("Mesh");
    WriteFloats(out, mesh, *position, 3);
    WriteFaces(out, mesh);
    if (const gfx::VertexElement* e = mesh.FindElement(gfx::DECLUSAGE_NORMAL); e && e->type == gfx::DECLTYPE_FLOAT3) {
        out.Begin("MeshNormals");
        WriteFloats(out, mesh, *e, 3);
        WriteFaces(out, mesh);
        out.End();
    }
    if (const gfx::VertexElement* e = mesh.FindElement(gfx::DECLUSAGE_TEXCOORD); e && e->type == gfx::DECLTYPE_FLOAT2) {
        out.Begin("MeshTextureCoords");
        WriteFloats(out, mesh, *e, 2);
        out.End();
    }
    if (const gfx::VertexElement* e = mesh.FindElement(gfx::DECLUSAGE_COLOR); e && e->type == gfx::DECLTYPE_D3DCOLOR) {
        const uint32_t n = mesh.GetNumVertices();
        out.Begin("MeshVertexColors");
        out.Int(n, ';');
        out.Line();
        for (uint32_t v = 0; v < n; ++v) {
            uint32_t argb;
            std::memcpy(&argb, mesh.VertexData() + v * mesh.GetNumBytesPerVertex() + e->offset, 4);
            out.Int(v, ';');
            for (int shift : {16, 8, 0, 24}) out.Float(static_cast<float>(argb >> shift & 0xFF) / 255.0f, ';');
            out.Close(';');
            out.Close(v + 1 < n ? ',' : ';');
        }
        out.End();
    }
    out.Begin("MeshMaterialList");
    out.Int(materialCount, ';');
    out.Int(mesh.GetNumFaces(), ';');
    out.Line();
    for (uint32_t f = 0; f < mesh.GetNumFaces(); ++f) out.Int(mesh.AttributeData()[f], f + 1 < mesh.GetNumFaces() ? ',' : ';');
    out.Close(';');
    for (uint32_t m = 0; m < materialCount; ++m) WriteMaterial(out, materials[m]);
    out.End();
    out.End();

    const std::string& bytes = out.Bytes();
    FILE* f = plat::OpenFile(gamePath, "wb");
    if (!f) return gfx::ERR_INVALIDCALL;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written ? gfx::OK : gfx::ERR_INVALIDCALL;
}

uint32_t ReadHeaderVersion(std::string_view gamePath) {
    // The binary form of "Header { version; 0; 0; }" right after the file header: the name token
    // with its length and text, '{', then one list of three integers.
    constexpr char kStart[] = "xof 0303bin 0032\x01\0\x06\0\0\0Header\x0a\0\x06\0\x03\0\0\0";
    constexpr size_t kStartSize = sizeof kStart - 1;
    FILE* f = plat::OpenFile(gamePath, "rb");
    if (!f) return 0;
    char start[kStartSize + 4];
    const bool read = std::fread(start, 1, sizeof start, f) == sizeof start;
    std::fclose(f);
    if (!read || std::memcmp(start, kStart, kStartSize) != 0) return 0;
    uint32_t version;
    std::memcpy(&version, start + kStartSize, 4);
    return version;
}

}  // namespace xfile

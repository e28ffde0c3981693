#pragma once
// A DirectX .x file read into a tree of data objects: text ("txt ") and binary ("bin ") forms,
// 32- or 64-bit floats. Templates and the values' separators are dropped; each object keeps its
// numbers and strings in file order and its nested objects and references in file order. Counts
// are not interpreted here: the object's reader checks them against what the object holds, so a
// file can never make the reader allocate more than its own size.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace xfile {

struct XObject;

// A nested object, or a reference to a named object ("{ Name }").
struct XChild {
    std::unique_ptr<XObject> object;
    std::string reference;
};

struct XObject {
    std::string type;
    std::string name;
    std::vector<double> numbers;
    std::vector<std::string> strings;
    std::vector<XChild> children;
};

class XFileDocument {
public:
    // False with a reason in error when the bytes are not a readable .x file.
    bool Parse(const uint8_t* data, size_t size, std::string& error);

    const std::vector<std::unique_ptr<XObject>>& Objects() const { return m_objects; }
    // The child's object, or the named object it refers to; null when the name is unknown.
    const XObject* Resolve(const XChild& child) const;

private:
    void IndexNames(const XObject& object);

    std::vector<std::unique_ptr<XObject>> m_objects;
    std::unordered_map<std::string, const XObject*> m_names;
};

}  // namespace xfile

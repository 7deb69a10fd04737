// Pieces every Office package shares: content types, relationship parts and document
// properties.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace oxmlgen {

constexpr const char* kRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kDocRelNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

struct Relationship {
  std::string id, type, target;  // type is the last part after ".../relationships/"
};

std::string relationshipsXml(const std::vector<Relationship>& rels);
// `overrides` are (part name, content type); jpg, png, rels and xml get their defaults.
std::string contentTypesXml(const std::vector<std::pair<std::string, std::string>>& overrides);
struct DocumentInfo;
// The core properties: the creation time and the document's information.
std::string corePropertiesXml(const DocumentInfo& info);
std::string appPropertiesXml(const std::string& application);

// Points to the units of the formats, rounded.
inline long long emu(double pt) {
  return static_cast<long long>(pt * 12700 + (pt < 0 ? -0.5 : 0.5));
}
inline long long twips(double pt) {
  return static_cast<long long>(pt * 20 + (pt < 0 ? -0.5 : 0.5));
}

}  // namespace oxmlgen

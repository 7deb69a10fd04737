// Package-level parts shared by the Word and PowerPoint writers.
#include "oxmlgen/opc.h"

#include <ctime>

#include "oxmlgen/document.h"
#include "oxmlgen/xml_writer.h"

namespace oxmlgen {

std::string relationshipsXml(const std::vector<Relationship>& rels) {
  XmlWriter x;
  x.open("Relationships").attr("xmlns", kRelNs);
  for (const Relationship& r : rels) {
    std::string type =
        r.type.find("://") != std::string::npos ? r.type : std::string(kDocRelNs) + "/" + r.type;
    x.open("Relationship").attr("Id", r.id).attr("Type", type).attr("Target", r.target).close();
  }
  return x.finish();
}

std::string contentTypesXml(const std::vector<std::pair<std::string, std::string>>& overrides) {
  XmlWriter x;
  x.open("Types").attr("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types");
  const std::pair<const char*, const char*> defaults[] = {
      {"rels", "application/vnd.openxmlformats-package.relationships+xml"},
      {"xml", "application/xml"},
      {"jpg", "image/jpeg"},
      {"png", "image/png"}};
  for (auto& [ext, type] : defaults)
    x.open("Default").attr("Extension", ext).attr("ContentType", type).close();
  for (auto& [part, type] : overrides)
    x.open("Override").attr("PartName", part).attr("ContentType", type).close();
  return x.finish();
}

std::string corePropertiesXml(const DocumentInfo& info) {
  char stamp[32] = "1970-01-01T00:00:00Z";
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  if (gmtime_r(&now, &utc) != nullptr)
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
  XmlWriter x;
  x.open("cp:coreProperties")
      .attr("xmlns:cp", "http://schemas.openxmlformats.org/package/2006/metadata/core-properties")
      .attr("xmlns:dc", "http://purl.org/dc/elements/1.1/")
      .attr("xmlns:dcterms", "http://purl.org/dc/terms/")
      .attr("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance");
  const auto element = [&](const char* name, const std::string& value) {
    if (!value.empty()) x.open(name).text(value).close();
  };
  element("dc:title", info.title);
  element("dc:subject", info.subject);
  element("dc:creator", info.author);
  element("cp:keywords", info.keywords);
  x.open("dcterms:created").attr("xsi:type", "dcterms:W3CDTF").text(stamp).close();
  x.open("dcterms:modified").attr("xsi:type", "dcterms:W3CDTF").text(stamp).close();
  return x.finish();
}

std::string appPropertiesXml(const std::string& application) {
  XmlWriter x;
  x.open("Properties")
      .attr("xmlns", "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties");
  x.open("Application").text(application).close();
  return x.finish();
}

}  // namespace oxmlgen

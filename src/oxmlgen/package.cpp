// The zip container over libzip, assembled in memory, and its file.
#include "oxmlgen/package.h"

#include <zip.h>

#include <cerrno>

#include "model/atomic_file.h"

namespace oxmlgen {

void Package::add(std::string name, std::string bytes, bool compress) {
  parts_.push_back({std::move(name), std::move(bytes), compress});
}

namespace {

// The archive's bytes, or false when libzip refuses.
bool buildZip(const std::vector<std::pair<const std::string*, const std::string*>>& parts,
              const std::vector<bool>& compress, std::string& out) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* archive = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (archive == nullptr) return false;
  zip_t* za = zip_open_from_source(archive, ZIP_TRUNCATE, &error);
  if (za == nullptr) {
    zip_source_free(archive);
    return false;
  }
  zip_source_keep(archive);
  bool ok = true;
  for (size_t i = 0; i < parts.size() && ok; ++i) {
    const std::string& bytes = *parts[i].second;
    zip_source_t* s = zip_source_buffer(za, bytes.data(), bytes.size(), 0);
    if (s == nullptr) {
      ok = false;
      break;
    }
    zip_int64_t index = zip_file_add(za, parts[i].first->c_str(), s, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(s);
      ok = false;
      break;
    }
    zip_set_file_compression(za, static_cast<zip_uint64_t>(index),
                             compress[i] ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
  }
  if (!ok) {
    zip_discard(za);
    zip_source_free(archive);
    return false;
  }
  if (zip_close(za) != 0) {
    zip_discard(za);
    zip_source_free(archive);
    return false;
  }
  ok = zip_source_open(archive) == 0;
  if (ok) {
    char buffer[65536];
    zip_int64_t n;
    while ((n = zip_source_read(archive, buffer, sizeof buffer)) > 0)
      out.append(buffer, static_cast<size_t>(n));
    ok = n == 0;
    zip_source_close(archive);
  }
  zip_source_free(archive);
  return ok;
}

}  // namespace

int Package::write(const std::string& path) const {
  std::vector<std::pair<const std::string*, const std::string*>> parts;
  std::vector<bool> compress;
  for (const Part& p : parts_) {
    parts.emplace_back(&p.name, &p.bytes);
    compress.push_back(p.compress);
  }
  std::string bytes;
  if (!buildZip(parts, compress, bytes)) return ENOMEM;
  std::string error;
  if (vellary::model::replaceFileContents(path, bytes, error)) return 0;
  return errno != 0 ? errno : EIO;
}

}  // namespace oxmlgen

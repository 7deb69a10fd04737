// Small PDFs written by hand for the tests that read PDFs.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vellary::testing {

// A PDF with the given page contents (content streams), each page 72 × 36 points, its cross
// reference table at the right offsets.
inline std::string pdfWithPages(const std::vector<std::string>& contents) {
  std::vector<std::string> objects;
  std::string kids;
  const int n = static_cast<int>(contents.size());
  for (int i = 0; i < n; ++i) kids += std::to_string(3 + 2 * i) + " 0 R ";
  objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(n) + " >>");
  for (int i = 0; i < n; ++i) {
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 72 36] /Contents " +
                      std::to_string(4 + 2 * i) + " 0 R >>");
    objects.push_back("<< /Length " + std::to_string(contents[i].size()) + " >>\nstream\n" +
                      contents[i] + "\nendstream");
  }
  std::string pdf = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t o : offsets) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
         " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

}  // namespace vellary::testing

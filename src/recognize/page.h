// Recognising one page picture into a page record: our layout takes the page apart, the engine
// reads each block with the model and mode that fit it, vertical character boxes are rebuilt from
// the ink, ruby and emphasis marks become side lines before their base line (attaching them is
// re-composition's work), and each character gets its 0–10 confidence and candidates.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "imaging/picture.h"
#include "jobs/ordered_jobs.h"
#include "model/records.h"
#include "recognize/engine.h"
#include "recognize/layout.h"

namespace vellary::recognize {

// What the pages are expected to hold: horizontal Japanese (the "jpn" model), vertical Japanese
// ("jpn_vert"), or either. Blocks whose ink shows their direction are read in it whatever is
// expected; the expectation decides the others, and with Auto both models read them and the
// reading with the higher confidence is kept.
enum class Language { Horizontal, Vertical, Auto };

// "jpn", "jpn_vert", "auto" → the language; nothing for another word.
std::optional<Language> languageNamed(std::string_view name);

struct PageOptions {
  Language language = Language::Auto;
  int dpi = 300;  // for a picture that does not say its resolution
};

// Recognises the picture (bilevel, grey or colour) into `page`: its size, resolution and blocks.
// The page's number and file names are the caller's. Uses `engine` only, so threads with an
// engine each may recognise pages at the same time. False with a message when a model is
// missing; a stop request ends the work early with an empty page and false (no message).
bool recognisePage(Engine& engine, const imaging::CPictInfo& picture, const PageOptions& options,
                   model::PageData& page, const jobs::StopToken* stop = nullptr,
                   std::string* error = nullptr);

}  // namespace vellary::recognize

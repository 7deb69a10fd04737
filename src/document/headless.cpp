// HeadlessDocument: the document with seams that show nothing.
#include "headless.h"

namespace vellary::document {

class HeadlessDocument::Messages : public appcore::Prompter {
 public:
  appcore::Answer ask(std::string_view text, std::string_view, appcore::Buttons,
                      appcore::Answer defaultAnswer, appcore::Icon) override {
    last.assign(text);
    return defaultAnswer;
  }
  std::string last;
};

HeadlessDocument::HeadlessDocument(const appcore::FrameSettings& frame)
    : frame_(frame), messages_(std::make_unique<Messages>()) {
  app_.doBackup = 0;
  DocumentSetup setup;
  setup.prompter = messages_.get();
  setup.app = &app_;
  setup.settings = &store_;
  setup.frame = &frame_;
  setup.clock = &clock_;
  doc_ = std::make_unique<CScrivlaDoc>(setup);
}

HeadlessDocument::~HeadlessDocument() = default;

appcore::Prompter& HeadlessDocument::prompter() { return *messages_; }
const std::string& HeadlessDocument::lastMessage() const { return messages_->last; }
void HeadlessDocument::clearLastMessage() { messages_->last.clear(); }

}  // namespace vellary::document

// What a host does by default for the scale list: the document takes the step.
#include "views/view_host.h"

#include "document/document.h"

namespace vellary::views {

void ViewHost::chooseZoomStep(int commandId) {
  if (document::CScrivlaDoc* doc = document()) doc->zoomCommand(commandId);
}

}  // namespace vellary::views

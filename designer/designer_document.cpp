#include "designer/designer_document.h"

#include "designer/designer.h"
#include "model/load_data.h"

namespace voltaris {

TDocument DesignerDocument(TDesigner& designer) {
  const TProjectSession& session = designer.Session();
  const std::string date = designer.Host().ShortDate();
  TDocumentSource source{*designer.ControlPanel(), designer.Canvas(), session.SiteRef, session.FileName, date, {}};
  // The very text the report window shows, line by line.
  source.Report = SplitLines(designer.ReportText());
  return BuildDocument(source);
}

}  // namespace voltaris

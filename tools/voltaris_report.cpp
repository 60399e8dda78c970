// voltaris-report: prints the system report of a saved project, its parts
// list, or the whole project as JSON, using the designer's own loading code.
// All come out in UTF-8, the text of the files decoded from their code page.
//
//   voltaris-report [--data DIR] [--json] [--advice] [--parts] [--date TEXT] [--pdf FILE] NAME
//
// With --advice the report is followed by the design advice block (the JSON
// carries the advice figures always). With --parts the parts list is printed
// instead of the report (the JSON carries it always). With --pdf the
// document of the design (page 1, battery worksheet, parts list, drawing,
// report with the advice, signature block) goes to FILE as a PDF instead,
// laid out without a display.
//
// Exit status: 0 on success, 1 when the project cannot be loaded, 2 on a
// usage error.
#include <clocale>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "catalogue/code_page.h"
#include "catalogue/plain_file.h"
#include "document/document.h"
#include "document/parts_list.h"
#include "model/advice.h"
#include "model/load_data.h"
#include "project_io/file_index.h"
#include "project_io/project_files.h"
#include "tools/project_json.h"
#ifdef VOLTARIS_REPORT_PDF
#include "project_io/report_file.h"
#include "tools/report_pdf.h"
#endif

namespace {

constexpr const char* Usage =
    "usage: voltaris-report [--data DIR] [--json] [--advice] [--parts] [--date TEXT] [--pdf FILE] NAME";

std::string Today() {
  std::setlocale(LC_TIME, "");
  const std::time_t now = std::time(nullptr);
  char text[64];
  const size_t length = std::strftime(text, sizeof text, "%x", std::localtime(&now));
  return std::string(text, length);
}

// The site reference on the index line of the project, empty when there is none.
std::string SiteRefOf(const std::string& dataDir, const std::string& name) {
  voltaris::TFileIndex index(dataDir);
  if (!index.Exists()) return "";
  for (const std::string& line : index.ReadLines()) {
    const voltaris::TIndexEntry entry = voltaris::SplitIndexLine(line);
    if (voltaris::SameProjectName(entry.FileName, name)) return entry.SiteRef;
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  std::string dataDir = "./Data";
  std::string name;
  std::string date;
  std::string pdf;
  bool json = false, advice = false, parts = false, dateGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json") {
      json = true;
    } else if (arg == "--advice") {
      advice = true;
    } else if (arg == "--parts") {
      parts = true;
    } else if ((arg == "--data" || arg == "--date") && i + 1 < argc) {
      (arg == "--data" ? dataDir : date) = argv[++i];
      dateGiven = dateGiven || arg == "--date";
    } else if (arg == "--pdf" && i + 1 < argc) {
      pdf = argv[++i];
      // An empty name would print the text report and seem to succeed.
      if (pdf.empty()) {
        std::cerr << "voltaris-report: --pdf needs the name of the file to write\n";
        return 2;
      }
#ifndef VOLTARIS_REPORT_PDF
      std::cerr << "voltaris-report: this build has no PDF output (it was built without Qt)\n";
      return 2;
#endif
    } else if (arg == "--help" || arg == "-h") {
      std::cout << Usage << "\n";
      return 0;
    } else if (!arg.empty() && arg[0] == '-') {
      std::cerr << Usage << "\n";
      return 2;
    } else if (name.empty()) {
      name = arg;
    } else {
      std::cerr << Usage << "\n";
      return 2;
    }
  }
  if (name.empty()) {
    std::cerr << Usage << "\n";
    return 2;
  }
  if (!voltaris::IsValidFileName(name)) {
    std::cerr << "voltaris-report: \"" << name << "\" is not a project name (letters, digits, spaces, - and _)\n";
    return 2;
  }
  // A name typed in other capitals is the same project, as on a Windows disk.
  std::error_code missing;
  if (!std::filesystem::exists(dataDir + "/" + name + ".dat", missing)) {
    if (const std::optional<std::string> other = voltaris::OtherSpellingOf(dataDir, name)) name = *other;
  }
  try {
    voltaris::TSettings settings;
    voltaris::TProject project = voltaris::LoadProjectFiles(dataDir, name, settings);
    voltaris::TControlPanel& panel = *project.ControlPanel;
    // The live warning list is built only while someone listens to it.
    voltaris::TSlot<voltaris::TControlPanel> listening([](voltaris::TControlPanel&, const voltaris::TNoEvent&) {});
    panel.OnWarningsChanged.Attach(listening);
    panel.BuildWarnings();
#ifdef VOLTARIS_REPORT_PDF
    if (!pdf.empty()) {
      const std::string siteRef = SiteRefOf(dataDir, name);
      voltaris::TDocumentSource source{panel, *project.Canvas, siteRef, name, dateGiven ? date : Today(), {}};
      // The report as the report window shows it: the advice follows it.
      source.Report = voltaris::SystemReportLines(panel, *project.Canvas, siteRef, source.Date);
      voltaris::WriteReportPdf(argc, argv, voltaris::BuildDocument(source), pdf);
      return 0;
    }
#endif
    if (json) {
      const nlohmann::json object = voltaris::ProjectJson(settings, panel, *project.Canvas);
      std::cout << object.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    } else if (parts) {
      const voltaris::TDocTable table = voltaris::PartsListTable(voltaris::BuildPartsList(panel, *project.Canvas));
      for (const std::string& line : voltaris::TableText(table)) std::cout << voltaris::CodePageToUtf8(line) << "\n";
    } else {
      voltaris::TStringList lines;
      panel.WriteSystemReport(lines, SiteRefOf(dataDir, name), dateGiven ? date : Today());
      if (advice) {
        const voltaris::TDesignAdvice figures = voltaris::WorkOutAdvice(panel, *project.Canvas);
        voltaris::WriteDesignAdvice(lines, panel, *project.Canvas, figures);
        // Every device's cable and currents, so that each voltage can be checked by hand.
        const voltaris::TDocTable table = voltaris::DeviceTable(*project.Canvas, figures);
        if (!table.Rows.empty()) {
          lines.emplace_back();
          lines.emplace_back(
              "Device Table (each voltage: what feeds it less (own + downstream mA) x metres x ohms "
              "per 100 m / 100000)");
          for (std::string& line : voltaris::TableText(table)) lines.push_back(std::move(line));
        }
      }
      // The files' text is in their code page; the terminal gets UTF-8.
      for (const std::string& line : lines) std::cout << voltaris::CodePageToUtf8(line) << "\n";
    }
  } catch (const std::exception& error) {
    std::cerr << "voltaris-report: " << voltaris::ReasonOf(error) << "\n";
    return 1;
  }
  return 0;
}

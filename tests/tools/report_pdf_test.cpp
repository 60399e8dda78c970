// voltaris-report --pdf: the document of each example is a sound PDF whose
// text holds every line of the report, every figure of the battery
// worksheet and the project details, on as many pages as the content needs;
// a target that cannot be written is the usual error and leaves no file.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include "catalogue/code_page.h"
#include "document/document.h"
#include "model/advice.h"
#include "project_io/project_files.h"
#include "project_io/report_file.h"
#include "tests/designer/test_support.h"

namespace voltaris {
namespace {

namespace fs = std::filesystem;

const std::string Tool = VOLTARIS_REPORT;
const std::string Examples = VOLTARIS_EXAMPLES;
const std::string Date = "08/12/2026";

struct Output {
  int status = -1;
  std::string text;
};

// Runs a command line; what it prints on standard output (and on standard
// error too when `withErrors`).
Output Shell(const std::string& command, bool withErrors = false) {
  Output output;
  const std::string line = command + (withErrors ? " 2>&1" : " 2>/dev/null");
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(line.c_str(), "r"), pclose);
  std::array<char, 4096> buffer;
  size_t got;
  while ((got = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) output.text.append(buffer.data(), got);
  const int status = pclose(pipe.release());
  output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

// Runs of white space as one space: a PDF keeps where each word stands, not
// how many spaces were between them, and a line too long for the page goes
// on below the next.
std::string Words(const std::string& text) {
  std::string words;
  for (char c : text) {
    const bool space = c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f';
    if (space) {
      if (!words.empty() && words.back() != ' ') words += ' ';
    } else {
      words += c;
    }
  }
  while (!words.empty() && words.back() == ' ') words.pop_back();
  return words;
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }

class ReportPdfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Shell("pdfinfo -v", true).status != 0 || Shell("pdftotext -v", true).status != 0)
      FAIL() << "pdfinfo and pdftotext are needed (poppler-utils, installed by scripts/install-deps.sh)";
  }
  // The PDF of project `name` in `data`, written by the tool.
  std::string WritePdf(const std::string& data, const std::string& name) {
    const std::string pdf = dir.File(name + ".pdf");
    const Output made = Shell(Tool + " --data " + Quote(data) + " --date " + Date + " --pdf " + Quote(pdf) + " " +
                              name);
    EXPECT_EQ(made.status, 0);
    EXPECT_EQ(made.text, "");  // the PDF goes to its file, nothing to the terminal
    return pdf;
  }
  int Pages(const std::string& pdf) {
    const Output info = Shell("pdfinfo " + Quote(pdf));
    EXPECT_EQ(info.status, 0) << pdf << " is not a sound PDF";
    std::smatch match;
    const std::regex pages("Pages:\\s+(\\d+)");
    return std::regex_search(info.text, match, pages) ? std::stoi(match[1]) : 0;
  }
  // The text of pages `first` to `last` (all when 0).
  std::string Text(const std::string& pdf, int first = 0, int last = 0) {
    std::string range = first > 0 ? " -f " + std::to_string(first) + " -l " + std::to_string(last) : "";
    const Output text = Shell("pdftotext -layout -enc UTF-8" + range + " " + Quote(pdf) + " -");
    EXPECT_EQ(text.status, 0);
    return text.text;
  }
  testing::TempDir dir;
};

TEST_F(ReportPdfTest, EachExampleCarriesTheReportTheWorksheetAndItsPages) {
  for (const std::string name : {"CornerShop", "Warehouse"}) {
    SCOPED_TRACE(name);
    const std::string pdf = WritePdf(Examples, name);
    const int pages = Pages(pdf);
    const std::string all = Words(Text(pdf));

    // Every line of the report the report window shows, the advice after it.
    TSettings settings;
    TProject project = LoadProjectFiles(Examples, name, settings);
    const Output text = Shell(Tool + " --advice --data " + Examples + " --date " + Date + " " + name);
    ASSERT_EQ(text.status, 0);
    size_t lines = 0;
    std::istringstream report(text.text);
    for (std::string line; std::getline(report, line);) {
      // The device table's text is laid out as a table of its own, below.
      if (line.rfind("Device Table", 0) == 0) break;
      const std::string words = Words(line);
      if (words.empty()) continue;
      ++lines;
      EXPECT_NE(all.find(words), std::string::npos) << "report line missing: " << line;
    }
    EXPECT_GT(lines, 20u);

    // The device table: every device's row, its cable's length and ohms
    // and every supply by its name.
    const std::string tablePages = Words(Text(pdf, 2, pages));
    EXPECT_NE(tablePages.find("Device Table"), std::string::npos);
    const TDesignAdvice figures = WorkOutAdvice(*project.ControlPanel, *project.Canvas);
    for (const auto& row : DeviceTable(*project.Canvas, figures).Rows) {
      const std::string cells = Words(row[0] + " " + row[1]);
      EXPECT_NE(tablePages.find(Words(row[1])), std::string::npos) << row[1];
      for (size_t c : {4u, 5u, 6u, 7u, 10u})
        EXPECT_NE(tablePages.find(Words(CodePageToUtf8(row[c]))), std::string::npos) << cells << ": " << row[c];
    }

    // Page 2 is the worksheet: every figure of every source.
    const std::string worksheet = Words(Text(pdf, 2, 2));
    EXPECT_NE(worksheet.find("Battery Worksheet"), std::string::npos);
    const TDocTable table = BatteryWorksheet(*project.ControlPanel);
    ASSERT_EQ(table.Rows.size(), 1 + project.ControlPanel->PSUs.size());
    for (const auto& row : table.Rows) {
      for (size_t c = 1; c + 1 < row.size(); ++c)
        EXPECT_NE(worksheet.find(CodePageToUtf8(row[c])), std::string::npos) << table.Columns[c] << " " << row[c];
    }

    // Beside it, the checks beyond the light with the commissioning boxes:
    // the battery volts assumed, each source's recharge and each device's
    // voltages on battery, after the worksheet's working (pages 2 and 3).
    const std::string checks = Words(Text(pdf, 2, std::min(3, pages)));
    EXPECT_NE(checks.find("Checks Beyond the Light and Commissioning Record"), std::string::npos);
    EXPECT_NE(checks.find("12.00 V"), std::string::npos);
    EXPECT_NE(checks.find("(measured)"), std::string::npos);
    const TDesignAdvice advice = WorkOutAdvice(*project.ControlPanel, *project.Canvas);
    for (const TDocTable& record :
         {RechargeRecord(*project.ControlPanel, *project.Canvas, advice), OnBatteryRecord(*project.Canvas, advice)}) {
      ASSERT_FALSE(record.Rows.empty());
      for (const auto& row : record.Rows)
        EXPECT_NE(checks.find(Words(row[1])), std::string::npos) << record.Columns[1] << " " << row[1];
    }

    // Page 1 holds the verdict, every page its footer; the report starts on
    // a page of its own and the signature block closes the document.
    EXPECT_NE(Words(Text(pdf, 1, 1)).find(DesignVerdict(*project.ControlPanel, *project.Canvas)), std::string::npos);
    for (int page = 1; page <= pages; ++page) {
      const std::string on = Words(Text(pdf, page, page));
      EXPECT_NE(on.find("Page " + std::to_string(page) + " of " + std::to_string(pages)), std::string::npos) << page;
      EXPECT_GT(on.size(), 40u) << "page " << page << " holds no more than its footer";
      // Nor a page of nothing but empty network blocks: those are named in one line.
      const std::string rest = std::regex_replace(on,
                                                  std::regex("Network[0-9]+|Drawing|Page [0-9]+ of [0-9]+|" +
                                                             std::string(name == "CornerShop"
                                                                             ? "Corner Shop, 12 High Street"
                                                                             : "Unit 7 Riverside Trading Estate")),
                                                  "");
      EXPECT_NE(rest.find_first_not_of(' '), std::string::npos) << "page " << page << " holds only network blocks";
    }
    const std::string last = Words(Text(pdf, pages, pages));
    EXPECT_NE(last.find("Installer"), std::string::npos);
    EXPECT_NE(last.find("Signature"), std::string::npos);
  }
  // Warehouse has more networks in use, supplies and report lines than the
  // corner shop: it needs more pages.
  EXPECT_GT(Pages(dir.File("Warehouse.pdf")), Pages(dir.File("CornerShop.pdf")));
}

// The parts list has a page of its own after the worksheet and its records.
TEST_F(ReportPdfTest, ThePartsListHasItsOwnPageAfterTheWorksheet) {
  const std::string pdf = WritePdf(Examples, "Warehouse");
  int page = 1;
  while (page < Pages(pdf) && Words(Text(pdf, page, page)).find("Parts List") == std::string::npos) ++page;
  const std::string on = Words(Text(pdf, page, page));
  for (const char* text : {"Parts List", "Control panel Orvane 700 1 pcs", "Remote supplies Orvane PSU10 2 pcs",
                           "Batteries 17.0 Ah 2 pcs", "Total 355.0 m"})
    EXPECT_NE(on.find(text), std::string::npos) << text << "\n" << on;
  EXPECT_EQ(on.find("Device Table"), std::string::npos);
  const std::string all = Words(Text(pdf));
  EXPECT_LT(all.find("Battery Worksheet"), all.find("Commissioning Record"));
  EXPECT_LT(all.find("Commissioning Record"), all.find("Parts List"));
}

TEST_F(ReportPdfTest, TheProjectDetailsAreOnPageOne) {
  const std::string data = dir.File("Data");
  fs::create_directories(data);
  for (const char* file : {"CornerShop.dat", "CornerShop.pjx", "Accounts.db"})
    fs::copy_file(Examples + "/" + file, data + "/" + file);
  {
    TSettings settings;
    TProject project = LoadProjectFiles(data, "CornerShop", settings);
    project.Context().Details = {"Brightwell Alarms", "J. Carter", "Mr A. Patel", "12 Station Road\nLowton",
                                 "Keyholder: caf\xe9 owner"};
    SaveProjectFiles(data, "CornerShop", settings, *project.ControlPanel, *project.Canvas);
  }
  const std::string pdf = WritePdf(data, "CornerShop");
  const std::string page1 = Words(Text(pdf, 1, 1));
  for (const char* text : {"Brightwell Alarms", "J. Carter", "Mr A. Patel", "12 Station Road Lowton",
                           "Keyholder: caf\xc3\xa9 owner", "Orvane", "CornerShop", "08/12/2026"})
    EXPECT_NE(page1.find(text), std::string::npos) << text;
  // The file says what it is: its title, the installer company as author,
  // the project as subject; A4, with every font in it.
  const Output info = Shell("pdfinfo " + Quote(pdf), true);
  EXPECT_EQ(info.status, 0);
  EXPECT_EQ(info.text.find("Syntax Error"), std::string::npos) << info.text;
  for (const char* line :
       {"Title:           Power Supply Design Record: Corner Shop, 12 High Street",
        "Author:          Brightwell Alarms", "Subject:         CornerShop: Orvane 200, grade 2", "(A4)"})
    EXPECT_NE(info.text.find(line), std::string::npos) << line << "\n" << info.text;
  const Output fonts = Shell("pdffonts " + Quote(pdf));
  std::istringstream rows(fonts.text);
  int listed = 0;
  for (std::string row; std::getline(rows, row);) {
    if (row.rfind("name", 0) == 0 || row.rfind("---", 0) == 0 || row.empty()) continue;
    ++listed;
    EXPECT_NE(row.find(" yes "), std::string::npos) << "a font not embedded: " << row;
  }
  EXPECT_GT(listed, 0);
}

TEST_F(ReportPdfTest, ATargetThatCannotBeWrittenIsAClearErrorAndLeavesNoFile) {
  const std::string missing = dir.File("no/such/folder/Shop.pdf");
  Output made = Shell(Tool + " --data " + Examples + " --pdf " + Quote(missing) + " CornerShop", true);
  EXPECT_EQ(made.status, 1);
  EXPECT_NE(made.text.find("voltaris-report: " + missing + ": cannot write the file"), std::string::npos) << made.text;
  EXPECT_FALSE(fs::exists(dir.File("no")));
  // A file where the folder should be.
  dir.Write("folder", "not a folder");
  const std::string blocked = dir.File("folder/Shop.pdf");
  made = Shell(Tool + " --data " + Examples + " --pdf " + Quote(blocked) + " CornerShop", true);
  EXPECT_EQ(made.status, 1);
  EXPECT_NE(made.text.find(blocked + ": cannot write the file"), std::string::npos) << made.text;
  // An old document stays whole when the new one cannot replace it.
  dir.Write("Old.pdf", "the old document");
  fs::create_directory(dir.File("Old.pdf.new"));  // in the way of the new one's temporary name
  made = Shell(Tool + " --data " + Examples + " --pdf " + Quote(dir.File("Old.pdf")) + " CornerShop", true);
  EXPECT_EQ(made.status, 1);
  std::ifstream old(dir.File("Old.pdf"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "the old document");
  // A project that does not load writes nothing either.
  made = Shell(Tool + " --data " + Examples + " --pdf " + Quote(dir.File("None.pdf")) + " NoSuchProject");
  EXPECT_EQ(made.status, 1);
  EXPECT_FALSE(fs::exists(dir.File("None.pdf")));
}

// The PDF is made as a new file: a link standing where it is written first
// (beside the target) is replaced, never written through, and a target that
// is a link, such as /dev/stdout, is refused by name and left as it is.
TEST_F(ReportPdfTest, APdfIsNeverWrittenThroughALink) {
  dir.Write("outside", "someone else's");
  fs::create_symlink(dir.File("outside"), dir.File("Shop.pdf.new"));
  Output made = Shell(Tool + " --data " + Examples + " --date " + Date + " --pdf " + Quote(dir.File("Shop.pdf")) +
                          " CornerShop",
                      true);
  EXPECT_EQ(made.status, 0) << made.text;
  EXPECT_FALSE(fs::is_symlink(dir.File("Shop.pdf")));
  EXPECT_GT(Pages(dir.File("Shop.pdf")), 0);
  EXPECT_FALSE(fs::exists(dir.File("Shop.pdf.new")));

  fs::create_symlink(dir.File("outside"), dir.File("Linked.pdf"));
  for (const std::string& target : {dir.File("Linked.pdf"), std::string("/dev/stdout")}) {
    made = Shell(Tool + " --data " + Examples + " --pdf " + Quote(target) + " CornerShop", true);
    EXPECT_EQ(made.status, 1);
    EXPECT_NE(made.text.find("voltaris-report: " + target + ": is a link, not a file: it is left alone\n"),
              std::string::npos)
        << made.text;
  }
  EXPECT_TRUE(fs::is_symlink(dir.File("Linked.pdf")));
  EXPECT_TRUE(fs::is_symlink("/dev/stdout"));
  EXPECT_FALSE(fs::exists("/dev/stdout.new"));
  EXPECT_EQ(dir.Read("outside"), "someone else's");
}

}  // namespace
}  // namespace voltaris

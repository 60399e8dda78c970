// The project details (company, engineer, customer, site address, notes):
// edited through their dialog as one undoable step, kept in the ".dat"'s
// extension section, and absent from the files of a project without them.
#include <algorithm>

#include "designer_fixture.h"
#include "project_io/project_extension.h"

namespace voltaris::testing {
namespace {

using Field = TProjectDetailsPresenter;

class ProjectDetailsTest : public DesignerTest {
 protected:
  // The dialog filled in as a user would, then OK (or Cancel).
  void EditDetails(const TProjectDetails& wanted, bool ok = true) {
    host.onProjectDetails = [&](TProjectDetailsPresenter& dialog) {
      dialog.SetText(Field::Company, wanted.Company);
      dialog.SetText(Field::Engineer, wanted.Engineer);
      dialog.SetText(Field::Customer, wanted.Customer);
      dialog.SetText(Field::SiteAddress, wanted.SiteAddress);
      dialog.SetText(Field::Notes, wanted.Notes);
      return ok;
    };
    designer.ProjectDetails();
    host.onProjectDetails = nullptr;
  }
  static TProjectDetails Sample() {
    return {"Brightwell Alarms Ltd", "J. Carter", "Corner Shop", "4 High Street\nLowton", "Caf\xe9 at the back"};
  }
};

TEST_F(ProjectDetailsTest, DetailsAreOneUndoableStepThatMarksTheProjectModified) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  ASSERT_FALSE(designer.Session().Modified());
  EditDetails(Sample());
  EXPECT_EQ(designer.Context().Details, Sample());
  EXPECT_TRUE(designer.Session().Modified());
  EXPECT_EQ(designer.UndoText(), "Undo Project Details");
  designer.Undo();
  EXPECT_TRUE(designer.Context().Details.Empty());
  EXPECT_FALSE(designer.Session().Modified());
  designer.Redo();
  EXPECT_EQ(designer.Context().Details, Sample());
  // Cancel changes nothing and adds no step.
  designer.Undo();
  EditDetails(Sample(), false);
  EXPECT_TRUE(designer.Context().Details.Empty());
  EXPECT_EQ(designer.UndoText(), "Undo");
}

TEST_F(ProjectDetailsTest, DetailsSurviveSaveAndLoadAndAProjectWithoutThemWritesNoSection) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  const TProjectBytes without = designer.ProjectImage();
  const auto& bytes = without.Dat;
  EXPECT_EQ(std::search(bytes.begin(), bytes.end(), std::begin(ProjectExtensionTag), std::end(ProjectExtensionTag)),
            bytes.end());
  EditDetails(Sample());
  designer.Session().SaveProject();
  New("Orvane 700", 3, "Office", "Unit 9");
  EXPECT_TRUE(designer.Context().Details.Empty());
  Load("Shop");
  ASSERT_TRUE(designer.ProjectOpen);
  EXPECT_EQ(designer.Context().Details, Sample());
  EXPECT_FALSE(designer.Session().Modified());
  // Emptied again, the files are those of a project that never had details.
  EditDetails({});
  EXPECT_TRUE(TUndoHistory::SameImage(designer.ProjectImage(), without));
}

TEST(ProjectDetailsPresenter, FieldsKeepToTheirLinesAndLengths) {
  TProjectDetailsPresenter dialog;
  dialog.SetText(Field::Company, "First line\r\nsecond");
  EXPECT_EQ(dialog.Text(Field::Company), "First line");
  dialog.SetText(Field::SiteAddress, "4 High Street\r\nLowton\rLT1");
  EXPECT_EQ(dialog.Text(Field::SiteAddress), "4 High Street\nLowton\nLT1");
  dialog.SetText(Field::Engineer, std::string("J.\0Carter", 9));
  EXPECT_EQ(dialog.Text(Field::Engineer), "J.Carter");
  dialog.SetText(Field::Notes, std::string(TProjectDetails::MaxNotesLength + 10, 'x'));
  EXPECT_EQ(dialog.Text(Field::Notes).size(), TProjectDetails::MaxNotesLength);
  dialog.SetText(Field::Customer, std::string(300, 'c'));
  EXPECT_EQ(dialog.Details().Customer.size(), TProjectDetails::MaxLineLength);
}

TEST(ProjectDetailsRecord, ReadsBackAndRefusesWhatNoSaveWrites) {
  TProjectExtension extension;
  extension.Details = {"Company", "", "Customer", "Line 1\nLine 2", ""};
  TStream stream;
  WriteProjectExtension(stream, extension);
  stream.Seek(0);
  EXPECT_EQ(ReadProjectExtension(stream), extension);
  const TBytes whole = stream.Bytes();
  for (size_t size = 0; size < whole.size(); ++size) {
    TStream cut(TBytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_THROW(ReadProjectExtension(cut), StreamError) << size;
  }
  // A field longer than it may be: the file was not written by a save.
  TProjectExtension tooLong;
  tooLong.Details.Notes = std::string(TProjectDetails::MaxNotesLength + 1, 'n');
  TStream longStream;
  WriteProjectExtension(longStream, tooLong);
  longStream.Seek(0);
  try {
    ReadProjectExtension(longStream);
    ADD_FAILURE() << "a note too long was read";
  } catch (const StreamError& error) {
    EXPECT_NE(std::string(error.what()).find("notes of the project details"), std::string::npos);
  }
}

}  // namespace
}  // namespace voltaris::testing

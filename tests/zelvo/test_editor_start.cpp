// Starting the companion editor: on the file a dialog field names, as one
// whole argument with its full path, after making the file; and from where
// the build puts the editor.
#include <gtest/gtest.h>

#include <filesystem>

#include "framework/messages.h"
#include "framework/process.h"
#include "shell_support.h"
#include "zelvo/app/context.h"
#include "zelvo/app/tables.h"

namespace {

namespace fs = std::filesystem;

TEST(EditorStart, TheFieldsFileGoesWholeToTheEditor) {
    zeltest::ScopedWorkDir dir;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use(boxes);
    const std::string editor = zeltest::recording_editor(dir.dir_slash(), "zelvo pad");
    // A relative name with blanks inside, padded with blanks as fields are.
    ASSERT_TRUE(fw::start_editor(editor, "  my objects.txt      "));
    EXPECT_EQ(zeltest::recorded_arguments(dir.dir_slash()), "1\n" + dir.dir_slash() + "my objects.txt\n");
    EXPECT_TRUE(fs::exists(dir.path() / "my objects.txt"));
    EXPECT_EQ(fs::file_size(dir.path() / "my objects.txt"), 0u);

    // An existing file is left as it is.
    fs::remove(dir.path() / "args");
    zeltest::write_text(dir.path() / "list.txt", "1\r\n2\r\n");
    ASSERT_TRUE(fw::start_editor(editor, dir.dir_slash() + "list.txt"));
    EXPECT_EQ(zeltest::recorded_arguments(dir.dir_slash()), "1\n" + dir.dir_slash() + "list.txt\n");
    EXPECT_EQ(fs::file_size(dir.path() / "list.txt"), 6u);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(EditorStart, FailuresAreReported) {
    zeltest::ScopedWorkDir dir;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use(boxes);
    zeltest::write_text(dir.path() / "plain", "");
    const std::string editor = zeltest::recording_editor(dir.dir_slash());
    // A file that cannot be made: the editor is not started.
    EXPECT_FALSE(fw::start_editor(editor, "plain/list.txt"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Cannot create the file plain/list.txt\nNo file can be made beside it (Not a directory); the file was "
              "left as it was.");
    // An editor that is not there.
    EXPECT_FALSE(fw::start_editor(dir.dir_slash() + "no-such-editor", "list.txt"));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "Cannot start the editor " + dir.dir_slash() + "no-such-editor");
    EXPECT_FALSE(fs::exists(dir.path() / "args"));
}

#ifdef ZELVO_PROGRAM
TEST(EditorStart, TheEditorIsBesideTheProgram) {
    zelvo::AppContext ctx;
    ctx.ProgramDir = fs::path(ZELVO_PROGRAM).parent_path().string() + "/";
    const fs::path editor = zelvo::editorProgramPath(ctx);
    EXPECT_EQ(editor.filename(), "zelvopad");
    ASSERT_TRUE(fs::is_regular_file(editor));
    EXPECT_NE(fs::status(editor).permissions() & fs::perms::owner_exec, fs::perms::none);
}
#endif

}  // namespace

// The stand-in attrib: clearing and setting the DOS attributes of a drive's files and folders the
// way the File Showing tool asks, what it prints when something is wrong, and failing on request.
#include "platform/programs/standin/StandInTestSupport.h"

#include "platform/Windows.h"

namespace {

constexpr DWORD HIDDEN_SYSTEM = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class AttribProgramTest : public standin_test::StandInTest {
protected:
    // A stick whose files and folders a virus has hidden.
    void HideFiles()
    {
        machine.WriteFile("drive_e/photo.jpg", "p");
        machine.WriteFile("drive_e/docs/letter.txt", "dear");
        for (const wchar_t* path : {L"E:\\photo.jpg", L"E:\\docs", L"E:\\docs\\letter.txt"})
            ASSERT_TRUE(SetFileAttributesW(path, Attributes(path) | HIDDEN_SYSTEM | FILE_ATTRIBUTE_READONLY));
    }

    static DWORD Attributes(const wchar_t* path) { return GetFileAttributesW(path) & ~FILE_ATTRIBUTE_DIRECTORY; }
};

TEST_F(AttribProgramTest, ShowsEveryHiddenFileAndFolderOfTheDrive)
{
    Prepare();
    HideFiles();
    const auto run = Run(L"attrib.exe -h -r -s /s /d E:\\*.*");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(Attributes(L"E:\\photo.jpg"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(Attributes(L"E:\\docs\\letter.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributesW(L"E:\\docs"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(AttribProgramTest, FoldersNeedDAndSubfoldersNeedS)
{
    Prepare();
    HideFiles();
    EXPECT_EQ(Run(L"attrib -h -s E:\\*.*").exitCode, 0u);
    EXPECT_EQ(Attributes(L"E:\\photo.jpg"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Attributes(L"E:\\docs") & HIDDEN_SYSTEM, HIDDEN_SYSTEM);
    EXPECT_EQ(Attributes(L"E:\\docs\\letter.txt") & HIDDEN_SYSTEM, HIDDEN_SYSTEM);
    EXPECT_EQ(Run(L"attrib -h -s E:\\docs").exitCode, 0u);
    EXPECT_EQ(Attributes(L"E:\\docs"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));

    const auto listing = Run(L"attrib /s E:\\*.txt");
    EXPECT_EQ(listing.output, "A   SHR              E:\\docs\\letter.txt\r\n");
    EXPECT_EQ(Run(L"attrib +h E:\\photo.jpg").exitCode, 0u);
    EXPECT_EQ(Attributes(L"E:\\photo.jpg"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(AttribProgramTest, ReportsWhatItCouldNotFindOrChange)
{
    Prepare();
    const auto empty = Run(L"attrib -h -r -s /s /d E:\\*.*");
    EXPECT_EQ(empty.exitCode, 1u);
    EXPECT_EQ(empty.output, "File not found - E:\\*.*\r\n");
    EXPECT_EQ(Run(L"attrib -h E:\\nope\\*.*").output, "Path not found - E:\\nope\r\n");
    EXPECT_EQ(Run(L"attrib -h G:\\*.*").output, "Path not found - G:\\\r\n");
    EXPECT_EQ(Run(L"attrib -q E:\\*.*").output, "Invalid switch - -q\r\n");

    HideFiles();
    SetIniValue(L"Disk 1", L"ReadOnly", L"1");
    const auto protectedStick = Run(L"attrib -h -r -s /s /d E:\\*.*");
    EXPECT_EQ(protectedStick.exitCode, 1u);
    EXPECT_TRUE(Holds(protectedStick.output, "Access denied - E:\\photo.jpg\r\n")) << protectedStick.output;
    EXPECT_TRUE(Holds(protectedStick.output, "Access denied - E:\\docs\\letter.txt\r\n"));
    EXPECT_EQ(Attributes(L"E:\\photo.jpg") & HIDDEN_SYSTEM, HIDDEN_SYSTEM);
}

TEST_F(AttribProgramTest, FailsOnRequestWithoutTouchingTheFiles)
{
    Prepare("", "[Fail]\nattrib=exit\n");
    HideFiles();
    const auto refused = Run(L"attrib -h -r -s /s /d E:\\*.*");
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_EQ(refused.output, "Access denied - E:\\*.*\r\n");
    SetIniValue(L"Fail", L"attrib", L"silent");
    const auto silent = Run(L"attrib -h -r -s /s /d E:\\*.*");
    EXPECT_EQ(silent.exitCode, 1u);
    EXPECT_EQ(silent.output, "");
    EXPECT_EQ(Attributes(L"E:\\photo.jpg") & HIDDEN_SYSTEM, HIDDEN_SYSTEM);
}

} // namespace

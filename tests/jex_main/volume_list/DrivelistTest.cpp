// The volume lister loaded by name, on machines with drives of every kind.
#include "jex_main/volume_list/IDrivelist.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

typedef IDrivelist* (*GetImpExport)();

class DrivelistTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const HMODULE module =
            LoadLibraryW(testing_support::InstallFromBuild(testing_support::BuildProgramFolder() + "/Drivelist.so").c_str());
        ASSERT_NE(module, nullptr);
        getImp = reinterpret_cast<GetImpExport>(reinterpret_cast<void (*)()>(GetProcAddress(module, "GetImp")));
        ASSERT_NE(getImp, nullptr);
    }

    std::vector<_Volume_Info_> Volumes(IDrivelist* lister)
    {
        uint32_t count = 99;
        EXPECT_EQ(lister->GetVolumes(nullptr, &count), 0u);
        std::vector<_Volume_Info_> volumes(count);
        if (count) {
            EXPECT_EQ(lister->GetVolumes(volumes.data(), &count), 0u);
        }
        return volumes;
    }

    testing_support::TempMachine machine;
    GetImpExport getImp = nullptr;
};

std::wstring VolumeNameOf(wchar_t letter)
{
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    wchar_t name[MAX_PATH] = {};
    GetVolumeNameForVolumeMountPointW(root, name, MAX_PATH);
    return name;
}

TEST_F(DrivelistTest, ListsRemovableAndFixedVolumesWithKnownFileSystemsByDriveLetter)
{
    machine.WriteMachineIni("[Drive G]\nLabel=Old\nFileSystem=FAT\n"
                            "[Drive E]\nType=2\nBus=7\nLabel=STICK\nFileSystem=FAT32\n"
                            "[Drive C]\nLabel=System\n"
                            "[Drive D]\nType=5\nLabel=DVD\nFileSystem=UDF\n"
                            "[Drive F]\nLabel=Media\nFileSystem=exFAT\nGuid={12345678-aaaa-bbbb-cccc-1234567890ab}\n"
                            "[Drive N]\nType=4\nLabel=Share\n"
                            "[Drive R]\nType=6\nLabel=Ram\n"
                            "[Drive X]\nLabel=Pool\nFileSystem=ReFS\n");
    IDrivelist* lister = getImp();
    ASSERT_EQ(lister->Init(), 0u);
    const auto volumes = Volumes(lister);
    ASSERT_EQ(volumes.size(), 4u);
    const struct {
        wchar_t letter;
        const wchar_t* label;
        int32_t fileSystem;
    } expected[] = {{L'C', L"System", VOLUME_FS_NTFS},
                    {L'E', L"STICK", VOLUME_FS_FAT32},
                    {L'F', L"Media", VOLUME_FS_EXFAT},
                    {L'G', L"Old", VOLUME_FS_FAT}};
    for (size_t i = 0; i < volumes.size(); ++i) {
        EXPECT_EQ(volumes[i].letterIndex, expected[i].letter - L'A');
        EXPECT_EQ(std::wstring(volumes[i].label), expected[i].label);
        EXPECT_EQ(volumes[i].fileSystem, expected[i].fileSystem);
        EXPECT_EQ(std::wstring(volumes[i].volumeName), VolumeNameOf(expected[i].letter));
        EXPECT_EQ(std::wstring(volumes[i].volumeName).size(), 49u);
    }
    EXPECT_EQ(std::wstring(volumes[2].volumeName), L"\\\\?\\Volume{12345678-aaaa-bbbb-cccc-1234567890ab}\\");
    lister->Release();
}

TEST_F(DrivelistTest, GetVolumesChecksInitialisationAndTheCallersCount)
{
    machine.WriteMachineIni("[Drive C]\nLabel=System\n[Drive D]\nLabel=Data\n");
    IDrivelist* lister = getImp();
    uint32_t count = 7;
    EXPECT_EQ(lister->GetVolumes(nullptr, &count), 0x5A0006u);
    EXPECT_EQ(count, 7u);
    ASSERT_EQ(lister->Init(), 0u);
    EXPECT_EQ(lister->GetVolumes(nullptr, nullptr), 0x600002u);
    _Volume_Info_ one[1] = {};
    one[0].letterIndex = 42;
    count = 1;
    EXPECT_EQ(lister->GetVolumes(one, &count), 0x660001u);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(one[0].letterIndex, 42);
    _Volume_Info_ three[3] = {};
    count = 3;
    EXPECT_EQ(lister->GetVolumes(three, &count), 0u);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(three[1].letterIndex, 3);
    lister->Release();
}

TEST_F(DrivelistTest, TheListIsKeptUntilUninitAndALongLabelIsCut)
{
    machine.WriteMachineIni("[Drive C]\nLabel=System\n");
    IDrivelist* lister = getImp();
    ASSERT_EQ(lister->Init(), 0u);
    machine.WriteMachineIni("[Drive C]\nLabel=System\n[Drive D]\nLabel=" + std::string(80, 'L') + "\n");
    EXPECT_EQ(lister->Init(), 0u);
    EXPECT_EQ(Volumes(lister).size(), 1u);
    EXPECT_EQ(lister->Uninit(), 0u);
    uint32_t count = 0;
    EXPECT_EQ(lister->GetVolumes(nullptr, &count), 0x5A0006u);
    ASSERT_EQ(lister->Init(), 0u);
    const auto volumes = Volumes(lister);
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(std::wstring(volumes[1].label), std::wstring(63, L'L'));
    lister->Release();
}

TEST_F(DrivelistTest, NoQualifyingVolumeGivesACountOfZero)
{
    machine.WriteMachineIni("[Drive C]\nFileSystem=ReFS\n");
    IDrivelist* lister = getImp();
    ASSERT_EQ(lister->Init(), 0u);
    EXPECT_TRUE(Volumes(lister).empty());
    lister->Release();
}

TEST_F(DrivelistTest, TheFactoryAddsNoReferenceAndMakesAFreshObjectAfterTheLastRelease)
{
    IDrivelist* first = getImp();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(getImp(), first);
    EXPECT_EQ(first->AddRef(), 2);
    EXPECT_EQ(first->Release(), 1);
    ASSERT_EQ(first->Init(), 0u);
    first->Release();

    IDrivelist* fresh = getImp();
    ASSERT_NE(fresh, nullptr);
    uint32_t count = 0;
    EXPECT_EQ(fresh->GetVolumes(nullptr, &count), 0x5A0006u);
    EXPECT_EQ(fresh->AddRef(), 2);
    fresh->Release();
    fresh->Release();
}

} // namespace

// The machine facts of the update report, from sample system files and from this
// machine.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/resource.h>

#include "platform/machine_facts.h"

namespace {

using namespace platform;

TEST(MachineFactsFiles, CpuInfo) {
    struct Row {
        const char* name;
        QByteArray cpuinfo;
        QString processor;
        std::int64_t mhz;
    };
    const Row rows[] = {
        {"x86",
         "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu MHz\t\t: 2399.998\n"
         "model name\t: Intel(R) Xeon(R) CPU @ 2.40GHz\n\nprocessor\t: 1\n"
         "model name\t: Other\ncpu MHz\t\t: 800.000\n",
         QStringLiteral("Intel(R) Xeon(R) CPU @ 2.40GHz"), 2400},
        {"arm board",
         "processor\t: 0\nBogoMIPS\t: 108.00\n\nModel\t\t: Raspberry Pi 4 Model B Rev 1.4\n",
         QStringLiteral("Raspberry Pi 4 Model B Rev 1.4"), 0},
        {"mips", "system type\t\t: MT7621\ncpu model\t\t: MIPS 1004Kc V2.15\n",
         QStringLiteral("MIPS 1004Kc V2.15"), 0},
        {"too long", "model name : " + QByteArray(60, 'x') + "\n", QString(48, QLatin1Char('x')),
         0},
        {"nothing", "processor : 0\n", QString(), 0},
        {"empty", "", QString(), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(detail::ProcessorNameFromCpuInfo(row.cpuinfo).toStdString(),
                  row.processor.toStdString());
        EXPECT_EQ(detail::MHzFromCpuInfo(row.cpuinfo), row.mhz);
    }
}

TEST(MachineFactsFiles, OsRelease) {
    struct Row {
        QByteArray text;
        QString name;
    };
    const Row rows[] = {
        {"PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n",
         QStringLiteral("Debian GNU/Linux 12 (bookworm)")},
        {"NAME=Fedora\n# PRETTY_NAME=\"commented\"\n", QStringLiteral("Fedora")},
        {"PRETTY_NAME='Single quoted \\ kept'\n", QStringLiteral("Single quoted \\ kept")},
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\$HOME\"\n", QStringLiteral("Say \"hi\" $HOME")},
        {"PRETTY_NAME=\"ウブンツ 24.04\"\n", QStringLiteral("ウブンツ 24.04")},
        {"ID=debian\n", QStringLiteral("Linux")},
        {"", QStringLiteral("Linux")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(detail::PrettyNameFromOsRelease(row.text).toStdString(), row.name.toStdString());
    }
}

TEST(MachineFactsFiles, VmSize) {
    EXPECT_EQ(detail::VmSizeFromStatus("Name:\ttest\nVmPeak:\t  9000 kB\nVmSize:\t    2048 kB\n"),
              2048 * 1024);
    EXPECT_EQ(detail::VmSizeFromStatus("Name:\tkthreadd\n"), -1);
    EXPECT_EQ(detail::VmSizeFromStatus("VmSize:\t lots kB\n"), -1);
}

TEST(MachineFactsHere, NameAndClock) {
    const TPCInfo facts;
    const QString name = facts.ProcessorName();
    EXPECT_LE(name.size(), 48);
    EXPECT_EQ(name, name.trimmed());
    EXPECT_GE(facts.ProcessorMHz(), 0);
    EXPECT_FALSE(facts.OSProductName().isEmpty());
}

TEST(MachineFactsHere, AvailableMemoryFollowsTheProcess) {
    const TPCInfo facts;
    constexpr std::uint64_t kReserve = std::uint64_t{1} << 30;
    const std::uint64_t before = facts.AvailableVirtualMemory();
    void* reserved =
        ::mmap(nullptr, kReserve, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(reserved, MAP_FAILED);
    const std::uint64_t during = facts.AvailableVirtualMemory();
    ::munmap(reserved, kReserve);
    EXPECT_LT(during, before);
    EXPECT_GE(before - during, kReserve - (std::uint64_t{64} << 20));

    // A limit on the address space is what the process can still reach.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_AS, &saved), 0);
    rlimit lowered = saved;
    lowered.rlim_cur = static_cast<rlim_t>(std::uint64_t{1} << 46);
    if (saved.rlim_max != RLIM_INFINITY && saved.rlim_max < lowered.rlim_cur) GTEST_SKIP();
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &lowered), 0);
    const std::uint64_t limited = facts.AvailableVirtualMemory();
    ::setrlimit(RLIMIT_AS, &saved);
    EXPECT_LT(limited, std::uint64_t{1} << 46);
    EXPECT_LT(limited, before);
}

} // namespace

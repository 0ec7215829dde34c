#include "platform/machine_facts.h"

#include <QFile>
#include <QList>

#include <chrono>
#include <cmath>
#include <stdexcept>
#include <thread>

#include <sys/resource.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define VAROKU_X86 1
#endif

namespace platform {
namespace {

constexpr int kMaxProcessorName = 48;

QByteArray ReadWholeFile(const char* path) {
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    // /proc files report a size of 0, so read until the end instead of by size.
    return file.readAll();
}

// The value of the first "key : value" line of /proc/cpuinfo text whose key is `key`.
QByteArray CpuInfoValue(const QByteArray& cpuinfo, const QByteArray& key) {
    for (const QByteArray& line : cpuinfo.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0) continue;
        if (line.left(colon).trimmed() == key) return line.mid(colon + 1).trimmed();
    }
    return {};
}

// The user address space a process may map when no limit is set.
std::uint64_t UserAddressSpace() {
#if defined(__x86_64__)
    return (std::uint64_t{1} << 47) - 4096;
#elif defined(__aarch64__)
    return std::uint64_t{1} << 48;
#elif UINTPTR_MAX > 0xFFFFFFFFu
    return std::uint64_t{1} << 47;
#else
    return std::uint64_t{3} << 30;
#endif
}

#ifdef VAROKU_X86
QString CpuidBrandString() {
    unsigned int regs[4];
    if (static_cast<unsigned int>(__get_cpuid_max(0x80000000u, nullptr)) < 0x80000004u) return {};
    char brand[kMaxProcessorName + 1] = {};
    for (unsigned int leaf = 0; leaf < 3; ++leaf) {
        __cpuid(0x80000002u + leaf, regs[0], regs[1], regs[2], regs[3]);
        for (int r = 0; r < 4; ++r)
            for (int b = 0; b < 4; ++b)
                brand[leaf * 16 + r * 4 + b] = static_cast<char>((regs[r] >> (8 * b)) & 0xFF);
    }
    return QString::fromLatin1(brand).trimmed();
}

std::int64_t MeasuredTscMHz() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const unsigned long long cyclesStart = __rdtsc();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const unsigned long long cyclesEnd = __rdtsc();
    const auto elapsed = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    if (elapsed <= 0 || cyclesEnd <= cyclesStart) return 0;
    return std::llround(static_cast<double>(cyclesEnd - cyclesStart) / elapsed);
}
#endif

} // namespace

namespace detail {

QString ProcessorNameFromCpuInfo(const QByteArray& cpuinfo) {
    // x86 says "model name", SPARC and MIPS "cpu model", some ARM boards "Model" or
    // "Processor", POWER "cpu".
    for (const char* key : {"model name", "cpu model", "Model", "Processor", "cpu"}) {
        const QByteArray value = CpuInfoValue(cpuinfo, key);
        if (!value.isEmpty()) return QString::fromUtf8(value).left(kMaxProcessorName);
    }
    return {};
}

std::int64_t MHzFromCpuInfo(const QByteArray& cpuinfo) {
    bool ok = false;
    const double mhz = CpuInfoValue(cpuinfo, "cpu MHz").toDouble(&ok);
    return ok && mhz > 0 ? std::llround(mhz) : 0;
}

QString PrettyNameFromOsRelease(const QByteArray& osRelease) {
    QString name;
    QString pretty;
    for (const QByteArray& rawLine : osRelease.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('#') || equals <= 0) continue;
        const QByteArray key = line.left(equals);
        QByteArray value = line.mid(equals + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            const bool doubleQuoted = value.front() == '"';
            value = value.mid(1, value.size() - 2);
            if (doubleQuoted) {
                QByteArray unescaped;
                for (qsizetype i = 0; i < value.size(); ++i) {
                    if (value[i] == '\\' && i + 1 < value.size()) ++i;
                    unescaped.append(value[i]);
                }
                value = unescaped;
            }
        }
        if (key == "PRETTY_NAME") pretty = QString::fromUtf8(value);
        if (key == "NAME") name = QString::fromUtf8(value);
    }
    if (!pretty.isEmpty()) return pretty;
    if (!name.isEmpty()) return name;
    return QStringLiteral("Linux");
}

std::int64_t VmSizeFromStatus(const QByteArray& status) {
    for (const QByteArray& line : status.split('\n')) {
        if (!line.startsWith("VmSize:")) continue;
        const QList<QByteArray> fields = line.mid(7).simplified().split(' ');
        bool ok = false;
        const qlonglong kib = fields.value(0).toLongLong(&ok);
        if (!ok || kib < 0 || (fields.size() > 1 && fields[1] != "kB")) return -1;
        return kib * 1024;
    }
    return -1;
}

} // namespace detail

QString TPCInfo::ProcessorName() const {
#ifdef VAROKU_X86
    const QString brand = CpuidBrandString();
    if (!brand.isEmpty()) return brand.left(kMaxProcessorName);
#endif
    return detail::ProcessorNameFromCpuInfo(ReadWholeFile("/proc/cpuinfo"));
}

std::int64_t TPCInfo::ProcessorMHz() const {
#ifdef VAROKU_X86
    if (const std::int64_t mhz = MeasuredTscMHz(); mhz > 0) return mhz;
#endif
    if (const std::int64_t mhz = detail::MHzFromCpuInfo(ReadWholeFile("/proc/cpuinfo")); mhz > 0)
        return mhz;
    bool ok = false;
    const qlonglong khz = ReadWholeFile("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq")
                              .trimmed()
                              .toLongLong(&ok);
    return ok && khz > 0 ? (khz + 500) / 1000 : 0;
}

std::uint64_t TPCInfo::AvailableVirtualMemory() const {
    const std::int64_t used = detail::VmSizeFromStatus(ReadWholeFile("/proc/self/status"));
    if (used < 0) throw std::runtime_error("使用可能な仮想メモリを取得できませんでした。");
    std::uint64_t limit = UserAddressSpace();
    rlimit rl{};
    if (getrlimit(RLIMIT_AS, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY && rl.rlim_cur < limit)
        limit = rl.rlim_cur;
    const auto usedBytes = static_cast<std::uint64_t>(used);
    return limit > usedBytes ? limit - usedBytes : 0;
}

QString TPCInfo::OSProductName() const {
    QByteArray osRelease = ReadWholeFile("/etc/os-release");
    if (osRelease.isEmpty()) osRelease = ReadWholeFile("/usr/lib/os-release");
    return detail::PrettyNameFromOsRelease(osRelease);
}

QString TPCInfo::RegisteredOrganization() const {
    const QByteArray text = ReadWholeFile("/etc/organization");
    return QString::fromUtf8(text.left(text.indexOf('\n') < 0 ? text.size() : text.indexOf('\n')))
        .trimmed();
}

} // namespace platform

// The facts about this machine that the update report lists (the PCInfo1 component):
// processor name and clock, free address space of the process, operating system and
// registered organisation, each taken from its nearest Linux source.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace platform {

class TPCInfo {
public:
    virtual ~TPCInfo() = default;

    // The processor's name, at most 48 characters: the CPUID brand string on x86,
    // otherwise the "model name" (or its architecture's equivalent) of /proc/cpuinfo.
    // Empty when neither says.
    virtual QString ProcessorName() const;

    // The clock in whole MHz: on x86 the cycle counter timed against the steady clock
    // for a few tens of milliseconds, otherwise "cpu MHz" of /proc/cpuinfo or the
    // cpufreq maximum; 0 when nothing tells.
    virtual std::int64_t ProcessorMHz() const;

    // Bytes of address space the process could still reserve: the address-space limit
    // (RLIMIT_AS when set, else the user address space of the architecture) less the
    // process's VmSize from /proc/self/status. Throws std::runtime_error when the
    // process's size cannot be read.
    virtual std::uint64_t AvailableVirtualMemory() const;

    // PRETTY_NAME of /etc/os-release (or /usr/lib/os-release).
    virtual QString OSProductName() const;

    // The first line of /etc/organization, the file Unix news and mail programs read
    // for the site's organisation; empty when the system records none.
    virtual QString RegisteredOrganization() const;
};

namespace detail {

// The processor name from /proc/cpuinfo text, cut to 48 characters.
QString ProcessorNameFromCpuInfo(const QByteArray& cpuinfo);
// The first "cpu MHz" of /proc/cpuinfo text, rounded; 0 when absent.
std::int64_t MHzFromCpuInfo(const QByteArray& cpuinfo);
// PRETTY_NAME from os-release text, quotes and escapes removed; NAME when it is
// missing, "Linux" when both are.
QString PrettyNameFromOsRelease(const QByteArray& osRelease);
// VmSize from /proc/self/status text in bytes; -1 when absent or malformed.
std::int64_t VmSizeFromStatus(const QByteArray& status);

} // namespace detail
} // namespace platform

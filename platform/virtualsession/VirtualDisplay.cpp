#include "platform/virtualsession/VirtualDisplay.h"

#include <stdexcept>

namespace plovik {
namespace {

constexpr int kDisplayNumberDescriptor = 3;

ChildProcess startServer(const VirtualDisplayOptions& options, const Pipe& displayNumber) {
    std::vector<std::string> arguments{"-displayfd", std::to_string(kDisplayNumberDescriptor)};
    arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
    arguments.insert(arguments.end(), {"-noreset", "-nolisten", "tcp"});
    ChildProcessOptions child;
    child.environment = options.environment;
    child.logFile = options.logFile;
    child.passedDescriptors = {{displayNumber.end(1), kDisplayNumberDescriptor}};
    return ChildProcess(options.server, arguments, child);
}

std::string readName(const VirtualDisplayOptions& options, Pipe& displayNumber) {
    // Only the server may hold the writing end: a server that dies then ends the
    // wait.
    displayNumber.closeEnd(1);
    const auto number = readLine(displayNumber.end(0), options.timeout);
    if (!number || number->empty()) {
        throw std::runtime_error(options.server + " did not report a display");
    }
    return ":" + *number;
}

}  // namespace

VirtualDisplay::VirtualDisplay(const VirtualDisplayOptions& options)
    : VirtualDisplay(options, Pipe()) {}

VirtualDisplay::VirtualDisplay(const VirtualDisplayOptions& options, Pipe&& displayNumber)
    : server_(startServer(options, displayNumber)), name_(readName(options, displayNumber)) {}

}  // namespace plovik

#pragma once
// The toolkit's own warnings (about the environment, fonts and the like) go to
// standard error. A program whose every line there must say whose it is sets
// the prefix they get.
#include <string>

namespace fw {

void PrefixToolkitMessages(const std::string& prefix);

} // namespace fw

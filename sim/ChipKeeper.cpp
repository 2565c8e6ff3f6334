#include "sim/ChipKeeper.h"

namespace sim {

bool ChipKeeper::SaveIfChanged(std::string* error)
{
    if (chip_.Contents() == saved_)
        return true;
    saved_ = chip_.Contents();
    return file_.Save(saved_, error);
}

} // namespace sim

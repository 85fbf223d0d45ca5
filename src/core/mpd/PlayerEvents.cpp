#include "core/mpd/PlayerEvents.h"

namespace kelvane {

PlayerEvents &PlayerEvents::sPlayerEvents() {
    static PlayerEvents instance;
    return instance;
}

} // namespace kelvane

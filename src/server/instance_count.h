// Count of live component objects, for the server's "can unload now" answer.
#pragma once

namespace kelvane::detail {

void ObjectCreated();
void ObjectDestroyed();

}  // namespace kelvane::detail

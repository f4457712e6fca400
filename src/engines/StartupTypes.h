#pragma once

// Types that cross threads through queued signals, registered once at start.
namespace StartupTypes {

void registerCrossThreadTypes();

} // namespace StartupTypes

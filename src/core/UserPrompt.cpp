#include "core/UserPrompt.h"

UserPrompt::~UserPrompt() = default;

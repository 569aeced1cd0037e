#pragma once

#include "tracks/TrackRecord.h"

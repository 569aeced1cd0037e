#include "tracks/TrackDatabase.h"

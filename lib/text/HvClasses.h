// The text unit in one include: string lists, encodings, streams and text readers.
#pragma once

#include "HvEncoding.h"
#include "HvStreamReader.h"
#include "HvStreams.h"
#include "HvStringList.h"
#include "HvStringListOps.h"
#include "HvStrings.h"

// The whole file layer in one include.
#pragma once

#include "HvLXExistence.h"
#include "HvLXFileOps.h"
#include "HvLXFilePlatform.h"
#include "HvLXLinks.h"
#include "HvLXPaths.h"
#include "HvLXProgramFiles.h"
#include "HvLXProtectedFolders.h"
#include "HvLXShellOps.h"

// The test kit's core, shared by the tests, the fuzz targets and the benchmark: scratch
// folders, files, caught output, the plain reading of containers, generated inputs, the
// corpus and the shared library loaded as a host loads it. It needs no GoogleTest.
#pragma once

#include "bytes.h"
#include "capture.h"
#include "corpus.h"
#include "files.h"
#include "hex_text.h"
#include "input_shapes.h"
#include "library_loader.h"
#include "plain_restore.h"
#include "temp_dir.h"
#include "token_stream.h"
#include "utf16.h"

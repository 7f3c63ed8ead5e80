#ifndef BIX_BIX_H
#define BIX_BIX_H

#include <bix/Algorithms.h>
#include <bix/ChunkCache.h>
#include <bix/ChunkedCut.h>
#include <bix/ChunkedImage.h>
#include <bix/Exceptions.h>
#include <bix/FileFormat.h>
#include <bix/Image3d.h>
#include <bix/ImageIO.h>
#include <bix/LUT.h>
#include <bix/LabeledImage3d.h>
#include <bix/MappedImage.h>
#include <bix/Notices.h>
#include <bix/OmeZarr.h>
#include <bix/RGB.h>
#include <bix/Resolution.h>
#include <bix/VOI.h>
#include <bix/Vector3d.h>

#endif

#ifndef ORV_ORV_H
#define ORV_ORV_H

// Everything a host may use, in one include.
#include <orv/basic_overlaying.h>
#include <orv/channel_dialog.h>
#include <orv/gray_mapping.h>
#include <orv/histgraph.h>
#include <orv/histogram.h>
#include <orv/level_records.h>
#include <orv/levels_dialog.h>
#include <orv/mapping_module.h>
#include <orv/minmax_ctrl.h>
#include <orv/overlaying_module.h>
#include <orv/point_prefs_dialog.h>
#include <orv/point_set_module.h>
#include <orv/orv_buffer2d.h>
#include <orv/orv_canvas.h>
#include <orv/orv_chunkedcanvas.h>
#include <orv/orv_events.h>
#include <orv/orv_factory.h>
#include <orv/orv_frame.h>
#include <orv/orv_ids.h>
#include <orv/orv_imagecanvas.h>
#include <orv/orv_keys.h>
#include <orv/orv_labeledcanvas.h>
#include <orv/orv_mapper.h>
#include <orv/orv_overlayer.h>
#include <orv/orv_palette.h>
#include <orv/orv_pointcanvas.h>
#include <orv/orv_pointset.h>
#include <orv/orv_stringio.h>
#include <orv/orv_types.h>
#include <orv/orv_voxel.h>
#include <orv/range_dialogs.h>
#include <orv/rgb_mapping.h>
#include <orv/thresholding_dialog.h>
#include <orv/triangles.h>
#include <orv/validators.h>
#include <orv/variable_textctrl.h>

#endif

// The front's one record of state, and its one reset.
#include "layer_common.h"

layer_front_state layer_front;

void layer_reset_front()
{
    // Contexts first: a context may be current on a window about to go.
    layer_delete_all_contexts();
    layer_release_all_windows();
    layer_front = layer_front_state();
}

// The constant record that makes one viewer program what it is.
//
// All three programs run the same scene code; every number that differs
// between them lives in one variant_params record, fixed at build time and
// never changed.  The declared widths matter: the camera's long-run motion
// depends on float32 rounding of every stored value, so float fields must stay
// float and double fields double.
#pragma once

// How the height field is held.
enum grid_storage_kind {
    row_table,   // a table of N row pointers, each row a separate free-store array
    contiguous,  // one N*N array in the entry function's own automatic storage
};

struct variant_params {
    const char* program_name;   // "terrain320", ...: names the program in messages
    int grid_size;              // N: N*N heights, (N-1)*(N-1) mesh cells
    grid_storage_kind grid_storage;
    float height_scale;         // S: heights lie in [0, S]; also divides every colour
    double grid_centre;         // C = N/2: orbit centre and look-at target on x and z
    float start_radius;         // 1.5*N: horizontal eye distance at start
    float start_speed;          // radial speed at start (radius units per 10 frames)
    int start_direction;        // sign with which the speed changes at start
    float angle_step;           // angle counter increment per frame
    float angle_divisor;        // counter / divisor = orbit angle in radians
    double elevation_angle;     // radians; radius / cos(this) is the eye height
    float speed_divisor;        // the radius grows by speed / divisor per frame
    float speed_step;           // the speed changes by direction * this per frame
    int reversal_limit;         // direction flips once |int(speed)| exceeds this
    float random_divisor;       // height = S * r / this, r in 0..32767
    int start_delay_ms;         // pause before anything else; no_pause = no call
    int frame_delay_ms;         // pause after every frame; no_pause = no call
};

// Marks a pause that is not taken at all (not a pause of zero milliseconds).
constexpr int no_pause = -1;

// float32 bit pattern 3F060A93, widened exactly to double.  It is one ulp
// above the float nearest pi/6 (3F060A92); the eye heights the viewers have
// always shown come from this value, so it is kept to the bit.
constexpr double elevation_angle_value = 0.523598849773406982421875;

// float32 nearest 0.02 (bit pattern 3CA3D70A): the speed arithmetic uses this
// exact value, not the decimal 0.02.
constexpr float speed_step_value = 0.0199999995529651641845703125f;

extern const variant_params terrain320_params;
extern const variant_params terrain128_params;
extern const variant_params terrain32_params;

// The record of the program called `name`, or nullptr for an unknown name.
const variant_params* find_variant_params(const char* name);

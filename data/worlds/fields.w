mesh prefabs\fields\ground.x
name teren
xpos 0.000000
ypos 0.000000
zpos 0.000000
rotation_angles 0.000000 0.000000 0.000000
scaling_axis 1.000000 1.000000 1.000000
flags 13

mesh prefabs\fields\wheat_field.x
name pole_pszenica
xpos -50.000000
ypos 0.020000
zpos -30.000000
rotation_angles 0.000000 0.000000 0.000000
flags 13

mesh prefabs\fields\meadow_field.x
name laka
xpos 50.000000
ypos 0.020000
zpos -30.000000
rotation_angles 0.000000 0.000000 0.000000
flags 13

mesh prefabs\ground\road.x
name droga
xpos 0.000000
ypos 0.030000
zpos 0.000000
rotation_angles 0.000000 0.000000 0.000000
flags 13

mesh prefabs\fields\grass_area.x
name grass
xpos 0.000000
ypos -2.000000
zpos 0.000000
scaling_axis 210.000000 1.000000 262.000000
flags 268435464

mesh prefabs\special\marker.x
name game_start_point
xpos 0.000000
ypos 0.000000
zpos -110.000000
rotation_angles 0.000000 90.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 268435465
invisible_in_game 1

mesh prefabs\special\marker.x
name level_start
xpos 0.000000
ypos 0.000000
zpos 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 268435465
invisible_in_game 1
action_general_opt 1 0
action_console_print Farm fields: the level has started

mesh prefabs\buildings\house.x
name dom
xpos -75.000000
ypos 2.650000
zpos -110.000000
rotation_angles 0.000000 90.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\buildings\barn.x
name stodola
xpos 75.000000
ypos 4.108000
zpos -108.000000
rotation_angles 0.000000 -20.000000 0.000000
scaling_axis 0.013000 0.013000 0.013000
flags 13

mesh prefabs\trees\oak.x
name dab_01
xpos -90.000000
ypos 3.600000
zpos 95.000000
rotation_angles 0.000000 0.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_02
xpos -60.000000
ypos 3.600000
zpos 100.000000
rotation_angles 0.000000 47.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_03
xpos -25.000000
ypos 3.600000
zpos 95.000000
rotation_angles 0.000000 94.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_04
xpos 25.000000
ypos 3.600000
zpos 98.000000
rotation_angles 0.000000 141.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_05
xpos 60.000000
ypos 3.600000
zpos 95.000000
rotation_angles 0.000000 188.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_06
xpos 90.000000
ypos 3.600000
zpos 100.000000
rotation_angles 0.000000 235.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_07
xpos -92.000000
ypos 3.600000
zpos -80.000000
rotation_angles 0.000000 282.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_08
xpos 92.000000
ypos 3.600000
zpos -85.000000
rotation_angles 0.000000 329.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\ground\hedge_bank.x
name wal_zachod_1
xpos -101.600000
ypos 1.650000
zpos -104.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_zachod_2
xpos -101.600000
ypos 1.650000
zpos -52.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_zachod_3
xpos -101.600000
ypos 1.650000
zpos 0.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_zachod_4
xpos -101.600000
ypos 1.650000
zpos 52.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_zachod_5
xpos -101.600000
ypos 1.650000
zpos 104.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_wschod_1
xpos 101.600000
ypos 1.650000
zpos -104.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_wschod_2
xpos 101.600000
ypos 1.650000
zpos -52.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_wschod_3
xpos 101.600000
ypos 1.650000
zpos 0.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_wschod_4
xpos 101.600000
ypos 1.650000
zpos 52.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_wschod_5
xpos 101.600000
ypos 1.650000
zpos 104.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_poludnie_1
xpos -78.000000
ypos 1.650000
zpos -126.600000
rotation_angles 0.000000 90.000000 0.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_poludnie_2
xpos -26.000000
ypos 1.650000
zpos -126.600000
rotation_angles 0.000000 90.000000 0.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_poludnie_3
xpos 26.000000
ypos 1.650000
zpos -126.600000
rotation_angles 0.000000 90.000000 0.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_poludnie_4
xpos 78.000000
ypos 1.650000
zpos -126.600000
rotation_angles 0.000000 90.000000 0.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_polnoc_1
xpos -78.000000
ypos 1.650000
zpos 126.600000
rotation_angles 0.000000 90.000000 0.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_polnoc_2
xpos -26.000000
ypos 1.650000
zpos 126.600000
rotation_angles 0.000000 90.000000 0.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_polnoc_3
xpos 26.000000
ypos 1.650000
zpos 126.600000
rotation_angles 0.000000 90.000000 0.000000
flags 13

mesh prefabs\ground\hedge_bank.x
name wal_polnoc_4
xpos 78.000000
ypos 1.650000
zpos 126.600000
rotation_angles 0.000000 90.000000 0.000000
flags 13


world_general_properties

background_color 4287411430
global_ambient_light0 4284507246
global_ambient_light1 4283454560
global_ambient_light2 4282137670
global_ambient_light3 4280821810
fog_in_game 1
fog0 4290037980 600.000000 150.000000
fog1 4291346090 500.000000 120.000000
fog2 4288059040 400.000000 100.000000
fog3 4286085250 300.000000 80.000000
vertex_ambient_brightness 1.000000
vertex_ambient_contrast 1.000000
vertex_ambient_color 1.000000000 1.000000000 1.000000000
vertex_ambient_inside_brightness 0.800000
vertex_ambient_inside_contrast 1.000000
vertex_ambient_inside_color 1.000000000 0.950000000 0.900000000
farz 1000.000000
skinmesh_skylight_coef 1.000000
skinmesh_ambient_coef 1.000000
sky_light_use 1
sky_light_direction 50.000000 35.000000
sky_light_color 4294963416
sky_light_power 1.200000
bloom_params 0.500000 1.000000
sky_mesh prefabs\sky\dome.x

mesh prefabs\ground\field.x
name teren
xpos 0.000000
ypos 0.000000
zpos 0.000000
rotation_angles 0.000000 0.000000 0.000000
scaling_axis 5.000000 1.000000 5.000000
flags 13
flag2 0

mesh prefabs\ground\plot.x
name pole_pszenica
xpos 0.000000
ypos 1.000000
zpos 0.000000
rotation_angles 0.000000 0.000000 0.000000
scaling_axis 5.000000 1.000000 5.000000
flags 13

mesh prefabs\ground\road.x
name droga
xpos 2600.000000
ypos 2.000000
zpos 0.000000
rotation_angles 0.000000 0.000000 0.000000
scaling_axis 1.000000 1.000000 5.000000
flags 13
plotek_use 1 1
plotek_prefab 0 0 prefabs\fence\fence.x
plotek_prefab 1 0 prefabs\fence\fence.x

mesh prefabs\trees\pine.x
name sosna_01
xpos 2000.000000
ypos 0.000000
zpos -4000.000000
rotation_angles 0.000000 0.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_02
xpos 2000.000000
ypos 0.000000
zpos -2500.000000
rotation_angles 0.000000 40.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_03
xpos 2000.000000
ypos 0.000000
zpos -1000.000000
rotation_angles 0.000000 80.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_04
xpos 2000.000000
ypos 0.000000
zpos 1000.000000
rotation_angles 0.000000 120.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_05
xpos 2000.000000
ypos 0.000000
zpos 2500.000000
rotation_angles 0.000000 160.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_06
xpos 2000.000000
ypos 0.000000
zpos 4000.000000
rotation_angles 0.000000 200.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_01
xpos 3400.000000
ypos 0.000000
zpos -3500.000000
rotation_angles 0.000000 0.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_02
xpos 3400.000000
ypos 0.000000
zpos -1500.000000
rotation_angles 0.000000 70.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_03
xpos 3400.000000
ypos 0.000000
zpos 500.000000
rotation_angles 0.000000 140.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_04
xpos 3400.000000
ypos 0.000000
zpos 1800.000000
rotation_angles 0.000000 210.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_05
xpos -2500.000000
ypos 0.000000
zpos -3000.000000
rotation_angles 0.000000 0.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_06
xpos -3200.000000
ypos 0.000000
zpos -2200.000000
rotation_angles 0.000000 50.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_07
xpos -1200.000000
ypos 0.000000
zpos 3400.000000
rotation_angles 0.000000 100.000000 0.000000
flags 13
is_it_tree 1

mesh prefabs\buildings\house.x
name dom
xpos 4000.000000
ypos 0.000000
zpos 3000.000000
rotation_angles 0.000000 -90.000000 0.000000
flags 13

mesh prefabs\buildings\house.x
name stodola
xpos -3500.000000
ypos 0.000000
zpos 3500.000000
rotation_angles 0.000000 30.000000 0.000000
scaling_axis 1.300000 1.300000 1.300000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_01
xpos -1500.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_02
xpos -1300.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_03
xpos -1100.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_04
xpos -900.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_05
xpos -700.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_06
xpos -500.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_07
xpos -300.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_08
xpos -100.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_09
xpos 100.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_10
xpos 300.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_11
xpos 500.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_12
xpos 700.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_13
xpos 900.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_14
xpos 1100.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_15
xpos 1300.000000
ypos 0.000000
zpos 1100.000000
flags 13

mesh prefabs\special\marker.x
name game_start_point
xpos 2600.000000
ypos 0.000000
zpos -4500.000000
flags 13
invisible_in_game 1

mesh prefabs\special\marker.x
name meta
xpos 2600.000000
ypos 0.000000
zpos 4500.000000
flags 13
invisible_in_game 1

mesh prefabs\special\marker.x
name slupek_1
xpos 2450.000000
ypos 0.000000
zpos -3000.000000
scaling_axis 2.000000 2.000000 2.000000
flags 13

mesh prefabs\special\marker.x
name slupek_2
xpos 2750.000000
ypos 0.000000
zpos -1500.000000
scaling_axis 2.000000 2.000000 2.000000
flags 13

mesh prefabs\special\marker.x
name slupek_3
xpos 2450.000000
ypos 0.000000
zpos 0.000000
scaling_axis 2.000000 2.000000 2.000000
flags 13

mesh prefabs\special\marker.x
name slupek_4
xpos 2750.000000
ypos 0.000000
zpos 1500.000000
scaling_axis 2.000000 2.000000 2.000000
flags 13

mesh prefabs\special\marker.x
name level_start
xpos 0.000000
ypos 0.000000
zpos 0.000000
flags 13
invisible_in_game 1
action_general_opt 1 0
action_console_print Meadow: the level has started
action_default_set meadow_started

mesh prefabs\trailer\trailer.x
name wozek
xpos 2600.000000
ypos 2.000000
zpos -4500.000000
flags 13
bezier_moving_____start_node_name droga_start
bezier_moving_____params0 0 1 3.000000 0.000000 1 0 1
bezier_moving_____params1 0 1

light
name lampa
xpos 3500.000000
ypos 400.000000
zpos 2600.000000
flags 13
range 1500.000000
power 2.000000
diffuse 1.000000 0.900000 0.700000


world_general_properties

background_color 4287411430
global_ambient_light0 4284507246
global_ambient_light1 4283454560
global_ambient_light2 4282137670
global_ambient_light3 4280821810
fog_in_game 1
fog0 4290037980 9000.000000 2500.000000
fog1 4291346090 8000.000000 2000.000000
fog2 4288059040 6000.000000 1500.000000
fog3 4286085250 5000.000000 1000.000000
vertex_ambient_brightness 1.000000
vertex_ambient_contrast 1.000000
vertex_ambient_color 1.000000000 1.000000000 1.000000000
vertex_ambient_inside_brightness 0.800000
vertex_ambient_inside_contrast 1.000000
vertex_ambient_inside_color 1.000000000 0.950000000 0.900000000
farz 12000.000000
skinmesh_skylight_coef 1.000000
skinmesh_ambient_coef 1.000000
sky_light_use 1
sky_light_direction 50.000000 35.000000
sky_light_color 4294963416
sky_light_power 1.200000
bloom_params 0.500000 1.000000

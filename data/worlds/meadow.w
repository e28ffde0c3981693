mesh prefabs\ground\field.x
name teren
xpos 0.000000
ypos 0.000000
zpos 0.000000
rotation_angles 0.000000 0.000000 0.000000
scaling_axis 1.000000 1.000000 1.000000
flags 13

mesh prefabs\ground\plot.x
name pole_pszenica
xpos 0.000000
ypos 0.020000
zpos 0.000000
rotation_angles 0.000000 0.000000 0.000000
flags 13

mesh prefabs\ground\road.x
name droga
xpos 45.000000
ypos 0.030000
zpos 0.000000
rotation_angles 0.000000 0.000000 0.000000
flags 13
plotek_use 1 1
plotek_prefab 0 0 prefabs\plotki\plot01.x
plotek_prefab 0 1 prefabs\plotki\plot02.x
plotek_prefab 0 2 prefabs\plotki\plot03.x
plotek_prefab 1 0 prefabs\plotki\plot04.x
plotek_prefab 1 1 prefabs\plotki\plot05.x
plotek_prefab 1 2 prefabs\plotki\plot06.x

mesh prefabs\ground\hedge.x
name zywoplot_lewy
xpos 38.000000
ypos 1.300000
zpos 60.000000
flags 13

mesh prefabs\ground\hedge.x
name zywoplot_prawy
xpos 52.000000
ypos 1.300000
zpos 60.000000
flags 13

mesh prefabs\ground\hedge.x
name zywoplot_start_lewy
xpos 38.000000
ypos 1.300000
zpos -85.000000
flags 13

mesh prefabs\ground\hedge.x
name zywoplot_start_prawy
xpos 52.000000
ypos 1.300000
zpos -85.000000
flags 13

mesh prefabs\special\czujnik.x
name brama_czujnik
xpos 45.000000
ypos 1.500000
zpos -50.000000
scaling_axis 1.500000 1.000000 1.000000
flags 268435465
invisible_in_game 1
action_general_opt 1 1
action_general_2 1 0
action_console_print Czujnik bramy: maszyna wjechala
action_give_action_to___mesh brama

mesh prefabs\obiekty\brama.x
name brama
xpos 45.000000
ypos 0.750000
zpos -42.000000
flags 13
action_general_opt 1 0
action_moving 1.000000 0.000000 0.000000 2.000000 5.800000
action_console_print Brama sie otwiera

mesh prefabs\obiekty\beczka01.x
name beczka
xpos 46.000000
ypos 0.450000
zpos -20.000000
flags 13
death_params_1 1 1 1 0 1 0 0 0 0 0 50.000000
death_params_console_print Beczka wybucha!
death_params_CreateMeshOnDeath prefabs\obiekty\beczka_wrak.x
death_params_created_mesh_name beczka_wrak

mesh prefabs\special\czujnik.x
name beczka_czujnik
xpos 46.000000
ypos 1.500000
zpos -20.000000
scaling_axis 1.250000 1.000000 1.250000
flags 268435465
invisible_in_game 1
action_general_opt 1 1
action_general_2 1 0
action_kill_object beczka

mesh prefabs\trees\pine.x
name sosna_01
xpos 35.000000
ypos 4.575000
zpos -80.000000
rotation_angles 0.000000 0.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_02
xpos 35.000000
ypos 4.575000
zpos -50.000000
rotation_angles 0.000000 40.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_03
xpos 38.000000
ypos 4.575000
zpos -20.000000
rotation_angles 0.000000 80.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_04
xpos 38.000000
ypos 4.575000
zpos 20.000000
rotation_angles 0.000000 120.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_05
xpos 35.000000
ypos 4.575000
zpos 50.000000
rotation_angles 0.000000 160.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_06
xpos 35.000000
ypos 4.575000
zpos 80.000000
rotation_angles 0.000000 200.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_01
xpos 54.000000
ypos 3.600000
zpos -70.000000
rotation_angles 0.000000 0.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_02
xpos 54.000000
ypos 3.600000
zpos -30.000000
rotation_angles 0.000000 70.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_03
xpos 54.000000
ypos 3.600000
zpos 10.000000
rotation_angles 0.000000 140.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_04
xpos 54.000000
ypos 3.600000
zpos 36.000000
rotation_angles 0.000000 210.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_05
xpos -50.000000
ypos 3.600000
zpos -60.000000
rotation_angles 0.000000 0.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_06
xpos -64.000000
ypos 3.600000
zpos -44.000000
rotation_angles 0.000000 50.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_07
xpos -24.000000
ypos 3.600000
zpos 68.000000
rotation_angles 0.000000 100.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13
is_it_tree 1

mesh prefabs\buildings\house.x
name dom
xpos 65.000000
ypos 2.650000
zpos 55.000000
rotation_angles 0.000000 -90.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\buildings\barn.x
name stodola
xpos -65.000000
ypos 4.108000
zpos 65.000000
rotation_angles 0.000000 30.000000 0.000000
scaling_axis 0.013000 0.013000 0.013000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_01
xpos -30.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_02
xpos -28.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_03
xpos -26.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_04
xpos -24.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_05
xpos -22.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_06
xpos -20.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_07
xpos -18.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_08
xpos -16.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_09
xpos -14.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_10
xpos -12.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_11
xpos -10.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_12
xpos -8.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_13
xpos -6.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_14
xpos -4.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_15
xpos -2.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_16
xpos 0.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_17
xpos 2.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_18
xpos 4.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_19
xpos 6.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_20
xpos 8.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_21
xpos 10.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_22
xpos 12.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_23
xpos 14.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_24
xpos 16.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_25
xpos 18.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_26
xpos 20.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_27
xpos 22.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_28
xpos 24.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_29
xpos 26.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\fence\fence.x
name ogrodzenie_30
xpos 28.000000
ypos 0.600000
zpos 22.000000
scaling_axis 0.010000 0.010000 0.010000
flags 13

mesh prefabs\special\marker.x
name game_start_point
xpos 45.000000
ypos 0.000000
zpos -90.000000
rotation_angles 0.000000 90.000000 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 268435465
invisible_in_game 1

mesh prefabs\special\marker.x
name meta
xpos 45.000000
ypos 0.000000
zpos 90.000000
scaling_axis 0.010000 0.010000 0.010000
flags 268435465
invisible_in_game 1

mesh prefabs\special\marker.x
name meta_wyscig
xpos 0.000000
ypos 0.000000
zpos 45.000000
scaling_axis 0.010000 0.010000 0.010000
flags 268435465
invisible_in_game 1

mesh prefabs\special\marker.x
name Blokada0
xpos 45.000000
ypos 0.300000
zpos 100.000000
scaling_axis 0.010000 0.010000 0.010000
flags 268435465
invisible_in_game 1

mesh prefabs\special\marker.x
name slupek_1
xpos 43.500000
ypos 0.600000
zpos -60.000000
scaling_axis 0.020000 0.020000 0.020000
flags 13

mesh prefabs\special\marker.x
name slupek_2
xpos 46.500000
ypos 0.600000
zpos -30.000000
scaling_axis 0.020000 0.020000 0.020000
flags 13

mesh prefabs\special\marker.x
name slupek_3
xpos 43.500000
ypos 0.600000
zpos 0.000000
scaling_axis 0.020000 0.020000 0.020000
flags 13

mesh prefabs\special\marker.x
name slupek_4
xpos 46.500000
ypos 0.600000
zpos 30.000000
scaling_axis 0.020000 0.020000 0.020000
flags 13

mesh prefabs\special\marker.x
name level_start
xpos 0.000000
ypos 0.000000
zpos 0.000000
scaling_axis 0.010000 0.010000 0.010000
flags 268435465
invisible_in_game 1
action_general_opt 1 0
action_console_print Meadow: the level has started
action_default_set meadow_started

mesh prefabs\special\marker.x
name pilot
xpos 45.000000
ypos 0.930000
zpos -90.000000
scaling_axis 0.030000 0.030000 0.030000
flags 9
bezier_moving_____start_node_name droga_start
bezier_moving_____params0 0 1 3.000000 0.000000 1 0 1
bezier_moving_____params1 0 1

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

mesh prefabs\powerline\pole.x
name slup_01
xpos 58.000000
ypos 4.500000
zpos -80.000000
flags 13

mesh prefabs\powerline\pole.x
name slup_02
xpos 58.000000
ypos 4.500000
zpos -40.000000
flags 13

mesh prefabs\powerline\pole.x
name slup_03
xpos 58.000000
ypos 4.500000
zpos 0.000000
flags 13

mesh prefabs\powerline\pole.x
name slup_04
xpos 58.000000
ypos 4.500000
zpos 40.000000
flags 13

mesh prefabs\powerline\pole.x
name slup_05
xpos 58.000000
ypos 4.500000
zpos 80.000000
flags 13

mesh prefabs\trees\oak.x
name dab_08
xpos -88.000000
ypos 4.320000
zpos -112.000000
rotation_angles 0.000000 30.000000 0.000000
scaling_axis 0.012000 0.012000 0.012000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_09
xpos 88.000000
ypos 4.320000
zpos -108.000000
rotation_angles 0.000000 150.000000 0.000000
scaling_axis 0.012000 0.012000 0.012000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_10
xpos -90.000000
ypos 4.320000
zpos 104.000000
rotation_angles 0.000000 250.000000 0.000000
scaling_axis 0.012000 0.012000 0.012000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_11
xpos 12.000000
ypos 4.320000
zpos 114.000000
rotation_angles 0.000000 300.000000 0.000000
scaling_axis 0.012000 0.012000 0.012000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_12
xpos 90.000000
ypos 4.320000
zpos 96.000000
rotation_angles 0.000000 80.000000 0.000000
scaling_axis 0.012000 0.012000 0.012000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_13
xpos 150.000000
ypos 5.400000
zpos -60.000000
rotation_angles 0.000000 20.000000 0.000000
scaling_axis 0.015000 0.015000 0.015000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_14
xpos -160.000000
ypos 5.400000
zpos 30.000000
rotation_angles 0.000000 190.000000 0.000000
scaling_axis 0.015000 0.015000 0.015000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_15
xpos 70.000000
ypos 5.400000
zpos 180.000000
rotation_angles 0.000000 110.000000 0.000000
scaling_axis 0.015000 0.015000 0.015000
flags 13
is_it_tree 1

mesh prefabs\trees\oak.x
name dab_16
xpos -60.000000
ypos 5.400000
zpos -190.000000
rotation_angles 0.000000 330.000000 0.000000
scaling_axis 0.015000 0.015000 0.015000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_07
xpos 180.000000
ypos 6.862500
zpos 150.000000
rotation_angles 0.000000 60.000000 0.000000
scaling_axis 0.015000 0.015000 0.015000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_08
xpos -210.000000
ypos 6.862500
zpos -120.000000
rotation_angles 0.000000 200.000000 0.000000
scaling_axis 0.015000 0.015000 0.015000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_09
xpos -130.000000
ypos 6.862500
zpos 160.000000
rotation_angles 0.000000 10.000000 0.000000
scaling_axis 0.015000 0.015000 0.015000
flags 13
is_it_tree 1

mesh prefabs\trees\pine.x
name sosna_10
xpos 130.000000
ypos 6.862500
zpos -170.000000
rotation_angles 0.000000 280.000000 0.000000
scaling_axis 0.015000 0.015000 0.015000
flags 13
is_it_tree 1

mesh prefabs\fields\grass_area.x
name grass
xpos 0.000000
ypos -2.000000
zpos 0.000000
scaling_axis 210.000000 1.000000 262.000000
flags 268435464

light
name lampa
xpos 60.000000
ypos 4.000000
zpos 45.000000
flags 13
range 30.000000
power 2.000000
diffuse 1.000000 0.900000 0.700000


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

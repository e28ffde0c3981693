#pragma once
// What a route asks of the player; the loading screen chooses its picture, task text and tips by
// these. The route table fills one record per route. A flag is a byte holding 0 or 1.
#include <cstdint>

struct RouteTasks {
    uint8_t baling = 0;
    uint8_t grainDelivery = 0;
    uint8_t baleCollecting = 0;
    uint8_t grassMowing = 0;
    uint8_t sowing = 0;
    uint8_t raceWithOpponents = 0;
    uint8_t secondRace = 0;
    uint8_t mowing = 0;
    uint8_t ploughing = 0;
    uint8_t slalom = 0;
    uint8_t planting = 0;
};

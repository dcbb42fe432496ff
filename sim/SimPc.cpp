int sim_placeholder;
